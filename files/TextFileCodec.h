#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Plain text files are UTF-8 when their bytes are valid UTF-8 (with or without a byte order
// mark) and Windows-1251 otherwise; saving writes the encoding the text came in.
enum class TextEncoding
{
    Utf8,
    Windows1251
};

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool hadBom = false; // a UTF-8 byte order mark stood at the start (not part of text)
};

// The most bytes read from any file: a text, a settings file, the caption.
constexpr qint64 MaxTextFileBytes = qint64(256) * 1024 * 1024;

// Decodes bytes as UTF-8 when valid, else as Windows-1251 (a byte that code page leaves
// undefined becomes U+FFFD).
DecodedText DecodeTextBytes(const QByteArray& bytes);

// The text in the given encoding; nullopt when a character cannot be held by Windows-1251.
std::optional<QByteArray> EncodeText(const QString& text, TextEncoding encoding, bool withBom = false);

class QFile;

// Reads a whole regular file. A device, FIFO, socket or folder is refused before it is
// opened (a FIFO would block, a device never end), and no more than MaxTextFileBytes are
// ever read, also from a file that grows while it is read. Throws VemoError naming the file.
QByteArray ReadFileBytes(const QString& path);

// The same for a file already opened for reading (path names it in the messages).
QByteArray ReadOpenFileBytes(QFile& file, const QString& path);

// Throws VemoError naming the file when path exists but is not a regular file (or a link to
// one).
void RequireRegularFile(const QString& path);

// True when both names lead to one existing file (the same inode on the same device), also
// through links or different spellings of the path.
bool IsSameFile(const QString& a, const QString& b);

// Reads and decodes a whole file. Throws VemoError naming the file when it cannot be read
// or is larger than MaxTextFileBytes.
DecodedText ReadTextFile(const QString& path);

// Writes text in the encoding through a temporary file renamed over the old one, so a
// failed save leaves the earlier file whole. Throws VemoError naming the file when it cannot
// be written or when a character cannot be encoded in Windows-1251 (the caller may then
// save in UTF-8).
void WriteTextFile(const QString& path, const QString& text, TextEncoding encoding, bool withBom = false);

QString EncodingName(TextEncoding encoding);

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A plain text file's encoding: a byte order mark decides (UTF-8, UTF-16, UTF-32); else
// UTF-8 when the bytes are UTF-8 but for a few bad ones; else the Cyrillic code page whose
// letters read most like Russian text. Saving writes the encoding the text came in.
enum class TextEncoding
{
    Utf8,
    Windows1251,
    Koi8R,
    Cp866,
    Utf16LE,
    Utf16BE,
    Utf32LE,
    Utf32BE
};

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool hadBom = false;   // a byte order mark stood at the start (not part of text)
    int replacedBytes = 0; // bad UTF-8 sequences replaced by U+FFFD in a UTF-8 text
};

// The most bytes read from any file: a text, a settings file, the caption.
constexpr qint64 MaxTextFileBytes = qint64(256) * 1024 * 1024;

// Decodes bytes by the rules above (a byte a code page leaves undefined becomes U+FFFD).
DecodedText DecodeTextBytes(const QByteArray& bytes);

// The line that tells the user that bad bytes of a UTF-8 file were replaced.
QString ReplacedBytesMessage(const QString& path, int replacedBytes);

// The text in the given encoding (UTF-16 and UTF-32 always with their byte order mark);
// nullopt when a character cannot be held by a single-byte code page.
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

// Writes bytes into a temporary file in the folder of path, flushes it to the disk and checks
// every step before the file replaces path, so a failed write (a full disk included) leaves
// the earlier file whole. Returns the reason of a failure, empty on success.
QString ReplaceFileContents(const QString& path, const QByteArray& bytes);

// Writes text in the encoding through a temporary file renamed over the old one, so a
// failed save leaves the earlier file whole. Throws VemoError naming the file when it cannot
// be written or when a character cannot be encoded in Windows-1251 (the caller may then
// save in UTF-8).
void WriteTextFile(const QString& path, const QString& text, TextEncoding encoding, bool withBom = false);

QString EncodingName(TextEncoding encoding);

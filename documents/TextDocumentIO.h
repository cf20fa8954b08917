#pragma once

#include "documents/books/BookReader.h"
#include "files/TextFileCodec.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reading and writing the text box's documents: in plain-text mode the file's bytes are the
// text (in the encoding DecodeTextBytes finds); otherwise the file is read as RTF, and bytes
// that are not RTF are read as plain text instead. Which of the two is decided by the mode,
// never by the file name.

// The encoding of a plain text: kept from Open to Save so a file goes back as it came.
struct DocumentEncoding
{
    TextEncoding encoding = TextEncoding::Utf8;
    bool withBom = false;
    int replacedBytes = 0; // bad UTF-8 sequences replaced on loading; not part of the encoding

    bool operator==(const DocumentEncoding& other) const
    {
        return encoding == other.encoding && withBom == other.withBom;
    }
};

// What Save writes: the bytes and, for plain text, the encoding they are in (UTF-8 when the
// text holds characters that Windows-1251 cannot).
struct DocumentBytes
{
    QByteArray bytes;
    DocumentEncoding encoding;
};

// No limit on the length of a loaded text.
constexpr qsizetype NoCharacterLimit = -1;

// Replaces the document's content with the bytes read by the mode; returns the plain text's
// encoding (UTF-8 for RTF). A text longer than maxCharacters (a paragraph break counting one)
// is refused with VemoError "Failed to Load Stream" naming source, and document is left as
// it was.
DocumentEncoding BytesToDocument(const QByteArray& bytes, bool plainTextMode, QTextDocument& document,
                                 const QString& source = {}, qsizetype maxCharacters = NoCharacterLimit);

// The document as the mode writes it: RTF, or the plain text with CR LF line breaks in the
// encoding given.
DocumentBytes DocumentToBytes(const QTextDocument& document, bool plainTextMode, DocumentEncoding encoding);

// The document's plain text, each paragraph or line break written as CR LF; non-breaking
// spaces are kept and embedded objects left out.
QString DocumentPlainText(const QTextDocument& document);

// What a file turned out to be: its format and, for a book, the title its metadata gives.
struct LoadedFormat
{
    BookFormat format = BookFormat::PlainText;
    QString title;
};

// Reads the whole file into the document; bad UTF-8 sequences that were replaced are noted
// once in the error log. A book (FB2, EPUB, DOCX, ODT, HTML, found by content and
// extension) is read as a book in either mode: with its headings, bold and italic in
// rich-text mode, as its plain text in plain-text mode. Throws VemoError naming the file
// when it cannot be opened (folder, missing, no permission) or read, is a damaged book or
// is too long; document is then untouched. format, when given, receives what was read.
DocumentEncoding LoadDocument(const QString& path, bool plainTextMode, QTextDocument& document,
                              qsizetype maxCharacters = NoCharacterLimit, LoadedFormat* format = nullptr);

// Writes the document through a temporary file renamed over the old one, so a failed save
// leaves the earlier file whole. Returns the encoding written. Throws VemoError naming the
// file when it cannot be created or written.
DocumentEncoding SaveDocument(const QString& path, bool plainTextMode, const QTextDocument& document,
                              DocumentEncoding encoding);

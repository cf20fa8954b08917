#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;

// The formats a text file may come in. PlainText and Rtf are read by the text box's mode;
// the others are books, always read as their format says.
enum class BookFormat
{
    PlainText,
    Rtf,
    Fb2,
    Fb2Zip,
    Epub,
    Docx,
    Odt,
    Html
};

// The format by content first: a zip container by the parts it holds, FB2 by its root
// element, HTML by its document type or root element, RTF by its opening. What content
// does not tell, the extension does (.fb2, .epub, .docx, .odt, .htm, .html, .xhtml): a
// damaged book is then refused as that format rather than shown as plain text. Throws
// VemoError naming source for a zip archive that cannot be opened.
BookFormat DetectBookFormat(const QByteArray& bytes, const QString& source);

bool IsBook(BookFormat format);

// Reads a book of one of the book formats into the (empty) document, as paragraphs and
// headings with bold and italic; returns the book's own title (empty when it has none).
// Throws VemoError naming source when the book is damaged, unreadable or holds more than
// maxCharacters characters (a paragraph break counting one; negative: no limit).
QString ReadBook(const QByteArray& bytes, BookFormat format, const QString& source, QTextDocument& document,
                 qsizetype maxCharacters);

// The names the --formats option and the folder dialog know: "txt", "fb2", "epub",
// "docx", "odt", "html".
QStringList BookFormatNames();

// The file masks of the named formats ("fb2" gives "*.fb2" and "*.fb2.zip", "html" gives
// "*.html", "*.htm" and "*.xhtml").
QStringList BookFileMasks(const QStringList& formatNames);

// The file name without its extension, a two-part one (".fb2.zip") taken off whole:
// "/books/tale.fb2.zip" gives "/books/tale".
QString BookFileBase(const QString& fileName);

#pragma once

#include <QString>
#include <QXmlStreamReader>

class ZipArchive;

// What the XML-based readers share: a reader that never expands a declared entity into more
// than a few kilobytes (a "billion laughs" file fails instead of filling the memory) and
// knows the HTML entities that XHTML books use without declaring them.
class BookXmlReader : public QXmlStreamReader
{
public:
    // entry names the file inside a container, for messages; empty for a book file itself.
    BookXmlReader(const QByteArray& bytes, const QString& source, const QString& entry = {});

    // Throws VemoError naming the file (and the entry) when the XML is not well formed.
    void ThrowIfError() const;
    // The element's text, its children's included, with blanks as they stand.
    QString ElementText();
    // Leaves the current element whole, throwing on malformed XML.
    void Skip();

private:
    QString m_source;
    QString m_entry;
};

// The text of the first "title" element of an XML entry of the archive (a document's
// metadata), blanks folded; empty when the entry or the element is missing.
QString TitleIn(ZipArchive& archive, const QString& entry);

// The value of the attribute with the local name, in any namespace.
QString AttributeValue(const QXmlStreamAttributes& attributes, QStringView localName);

// The character an HTML named entity stands for ("nbsp" → U+00A0), or an empty string
// for a name it does not know.
QString HtmlEntity(QStringView name);

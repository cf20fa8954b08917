#include "documents/books/Fb2Reader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/BookXml.h"
#include "files/MessageLanguage.h"

namespace {

// Deeper nesting than any book needs; a file nested deeper is refused rather than read
// by ever deeper recursion.
constexpr int MaxDepth = 200;

class Fb2Parser
{
public:
    Fb2Parser(const QByteArray& bytes, BookWriter& out) : m_xml(bytes, out.Source()), m_out(out) {}

    void Read();

private:
    void ReadDescription();
    void ReadBlocks(int sectionDepth, int nesting);
    void ReadTitle(int level, int nesting);
    void ReadParagraph(int headingLevel, int nesting);
    void ReadInline(BookStyle style, int nesting);
    void CheckNesting(int nesting);

    BookXmlReader m_xml;
    BookWriter& m_out;
};

bool IsNoteLink(const QXmlStreamReader& xml)
{
    return xml.name() == u"a" && AttributeValue(xml.attributes(), u"type") == u"note";
}

void Fb2Parser::Read()
{
    if (!m_xml.readNextStartElement() || m_xml.name() != u"FictionBook") {
        m_xml.ThrowIfError();
        ThrowBookError(m_out.Source(), Say("this is not an FB2 book: it has no FictionBook element",
                                           "это не книга FB2: нет элемента FictionBook"));
    }
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        const QString bodyName = AttributeValue(m_xml.attributes(), u"name");
        if (name == u"description")
            ReadDescription();
        else if (name == u"body" && bodyName != u"notes" && bodyName != u"comments")
            ReadBlocks(0, 1);
        else
            m_xml.Skip();
    }
    m_xml.ThrowIfError();
    m_out.Finish();
}

void Fb2Parser::ReadDescription()
{
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() != u"title-info") {
            m_xml.Skip();
            continue;
        }
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"book-title" && m_out.title.isEmpty())
                m_out.title = m_xml.ElementText().simplified();
            else
                m_xml.Skip();
        }
    }
    m_xml.ThrowIfError();
}

void Fb2Parser::CheckNesting(int nesting)
{
    if (nesting > MaxDepth)
        ThrowBookError(
            m_out.Source(),
            Say("elements are nested deeper than %1", "вложенность элементов глубже %1").arg(MaxDepth));
}

// The block elements of a body or section; sectionDepth counts the sections around them.
void Fb2Parser::ReadBlocks(int sectionDepth, int nesting)
{
    CheckNesting(nesting);
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        if (name == u"section")
            ReadBlocks(sectionDepth + 1, nesting + 1);
        else if (name == u"title")
            ReadTitle(qBound(1, sectionDepth, 6), nesting + 1);
        else if (name == u"subtitle")
            ReadParagraph(qBound(1, sectionDepth + 1, 6), nesting + 1);
        else if (name == u"p" || name == u"v" || name == u"text-author" || name == u"date" || name == u"td" ||
                 name == u"th")
            ReadParagraph(0, nesting + 1);
        else if (name == u"image" || name == u"empty-line" || name == u"binary")
            m_xml.Skip();
        else // epigraph, annotation, poem, stanza, cite, table, tr: blocks inside
            ReadBlocks(sectionDepth, nesting + 1);
    }
    m_xml.ThrowIfError();
}

// Every paragraph of a title is a heading of its own.
void Fb2Parser::ReadTitle(int level, int nesting)
{
    CheckNesting(nesting);
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == u"p")
            ReadParagraph(level, nesting + 1);
        else
            m_xml.Skip();
    }
    m_xml.ThrowIfError();
}

void Fb2Parser::ReadParagraph(int headingLevel, int nesting)
{
    m_out.StartParagraph(headingLevel);
    ReadInline({}, nesting);
    m_out.EndParagraph();
}

void Fb2Parser::ReadInline(BookStyle style, int nesting)
{
    CheckNesting(nesting);
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
            m_out.AddText(m_xml.text(), style);
            break;
        case QXmlStreamReader::EndElement:
            return;
        case QXmlStreamReader::StartElement:
            if (m_xml.name() == u"image" || IsNoteLink(m_xml)) {
                m_xml.Skip();
            } else {
                BookStyle inner = style;
                inner.bold |= m_xml.name() == u"strong";
                inner.italic |= m_xml.name() == u"emphasis";
                ReadInline(inner, nesting + 1);
            }
            break;
        default:
            break;
        }
    }
    m_xml.ThrowIfError();
}

} // namespace

bool LooksLikeFb2(const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes.left(64 * 1024));
    return xml.readNextStartElement() && xml.name() == u"FictionBook";
}

void ReadFb2(const QByteArray& bytes, BookWriter& out)
{
    Fb2Parser(bytes, out).Read();
}

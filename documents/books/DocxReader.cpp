#include "documents/books/DocxReader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/BookXml.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"

#include <QHash>

namespace {

const QString DocumentEntry = QStringLiteral("word/document.xml");
const QString StylesEntry = QStringLiteral("word/styles.xml");
const QString CoreEntry = QStringLiteral("docProps/core.xml");

// What a style gives the text that uses it.
struct DocxStyle
{
    int headingLevel = 0;
    BookStyle character;
    QString basedOn;
};

using DocxStyles = QHash<QString, DocxStyle>;

// A toggle property (w:b, w:i): on unless its value says off.
bool ToggleOn(const QXmlStreamAttributes& attributes)
{
    const QString value = AttributeValue(attributes, u"val");
    return value != u"0" && value != u"false" && value != u"off";
}

// The level a style's name gives: "heading 2" is 2, "Title" 1.
int HeadingLevelOfName(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == u"title")
        return 1;
    if (lower.startsWith(QStringLiteral("heading ")))
        return qBound(1, lower.mid(8).toInt(), 6);
    return 0;
}

DocxStyles ReadStyles(ZipArchive& archive)
{
    DocxStyles styles;
    if (!archive.Contains(StylesEntry))
        return styles;
    BookXmlReader xml(archive.Read(StylesEntry), archive.Source(), StylesEntry);
    QString id;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView name = xml.name();
        if (name == u"style")
            id = AttributeValue(attributes, u"styleId");
        else if (id.isEmpty())
            continue;
        else if (name == u"name" && styles[id].headingLevel == 0)
            styles[id].headingLevel = HeadingLevelOfName(AttributeValue(attributes, u"val"));
        else if (name == u"outlineLvl")
            styles[id].headingLevel = qBound(0, AttributeValue(attributes, u"val").toInt() + 1, 6);
        else if (name == u"basedOn")
            styles[id].basedOn = AttributeValue(attributes, u"val");
        else if (name == u"b")
            styles[id].character.bold = ToggleOn(attributes);
        else if (name == u"i")
            styles[id].character.italic = ToggleOn(attributes);
    }
    xml.ThrowIfError();
    return styles;
}

// A style with what it inherits; a loop of basedOn links ends after a few steps.
DocxStyle Resolved(const DocxStyles& styles, QString id)
{
    DocxStyle result;
    bool levelSet = false;
    for (int step = 0; step < 16 && styles.contains(id); ++step) {
        const DocxStyle& style = styles[id];
        if (!levelSet && style.headingLevel > 0) {
            result.headingLevel = style.headingLevel;
            levelSet = true;
        }
        result.character.bold |= style.character.bold;
        result.character.italic |= style.character.italic;
        id = style.basedOn;
    }
    return result;
}

class DocxParser
{
public:
    DocxParser(ZipArchive& archive, BookWriter& out)
        : m_styles(ReadStyles(archive)), m_xml(archive.Read(DocumentEntry), archive.Source(), DocumentEntry),
          m_out(out)
    {}
    void Read();

private:
    void ReadParagraph();
    void ReadParagraphProperties(int& headingLevel, BookStyle& paragraphStyle);
    void ReadRun(BookStyle paragraphStyle);
    BookStyle ReadRunProperties(BookStyle style);

    const DocxStyles m_styles;
    BookXmlReader m_xml;
    BookWriter& m_out;
    int m_nesting = 0; // paragraphs inside paragraphs (text boxes)
};

// Deeper than text boxes in text boxes go; a file nested deeper is refused, not recursed into.
constexpr int MaxNesting = 64;

void DocxParser::Read()
{
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (!m_xml.isStartElement())
            continue;
        const QStringView name = m_xml.name();
        if (name == u"p")
            ReadParagraph();
        else if (name == u"del" || name == u"drawing" || name == u"pict" || name == u"object" ||
                 name == u"footnoteReference" || name == u"endnoteReference" || name == u"sectPr")
            m_xml.Skip();
    }
    m_xml.ThrowIfError();
    m_out.Finish();
}

// A paragraph's runs may stand inside hyperlinks, inserted text, smart tags and fields:
// everything below the paragraph is walked, and only what is no text is passed over.
void DocxParser::ReadParagraph()
{
    if (++m_nesting > MaxNesting)
        ThrowBookError(m_out.Source(),
                       Say("paragraphs are nested deeper than %1", "абзацы вложены друг в друга глубже %1")
                           .arg(MaxNesting));
    int headingLevel = 0;
    BookStyle paragraphStyle;
    m_out.StartParagraph();
    for (int depth = 1; depth > 0 && !m_xml.atEnd();) {
        m_xml.readNext();
        if (m_xml.isEndElement()) {
            --depth;
            continue;
        }
        if (!m_xml.isStartElement())
            continue;
        const QStringView name = m_xml.name();
        if (name == u"pPr") {
            ReadParagraphProperties(headingLevel, paragraphStyle);
            m_out.StartParagraph(headingLevel);
        } else if (name == u"r") {
            ReadRun(paragraphStyle);
        } else if (name == u"p") {
            // A paragraph inside a paragraph (a text box): its text follows as one of its own.
            ReadParagraph();
            m_out.StartParagraph(headingLevel);
        } else if (name == u"del" || name == u"drawing" || name == u"pict" || name == u"object") {
            m_xml.Skip();
        } else {
            ++depth;
        }
    }
    m_xml.ThrowIfError();
    m_out.EndParagraph();
    --m_nesting;
}

void DocxParser::ReadParagraphProperties(int& headingLevel, BookStyle& paragraphStyle)
{
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        if (name == u"pStyle") {
            const DocxStyle style = Resolved(m_styles, AttributeValue(m_xml.attributes(), u"val"));
            headingLevel = style.headingLevel;
            paragraphStyle = style.character;
        } else if (name == u"outlineLvl") {
            headingLevel = qBound(0, AttributeValue(m_xml.attributes(), u"val").toInt() + 1, 6);
        }
        m_xml.Skip();
    }
    m_xml.ThrowIfError();
}

BookStyle DocxParser::ReadRunProperties(BookStyle style)
{
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (name == u"rStyle") {
            const BookStyle character = Resolved(m_styles, AttributeValue(attributes, u"val")).character;
            style.bold |= character.bold;
            style.italic |= character.italic;
        } else if (name == u"b") {
            style.bold = ToggleOn(attributes);
        } else if (name == u"i") {
            style.italic = ToggleOn(attributes);
        }
        m_xml.Skip();
    }
    m_xml.ThrowIfError();
    return style;
}

void DocxParser::ReadRun(BookStyle paragraphStyle)
{
    BookStyle style = paragraphStyle;
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        if (name == u"rPr") {
            style = ReadRunProperties(style);
            continue;
        }
        if (name == u"t") {
            m_out.AddText(m_xml.ElementText(), style);
            continue;
        }
        if (name == u"tab")
            m_out.AddText(u"\t", style);
        else if (name == u"br" || name == u"cr")
            m_out.AddLineBreak();
        else if (name == u"noBreakHyphen")
            m_out.AddText(u"\u2011", style);
        m_xml.Skip(); // field codes, deleted text, drawings, note marks
    }
    m_xml.ThrowIfError();
}

} // namespace

bool IsDocx(const ZipArchive& archive)
{
    return archive.Contains(DocumentEntry);
}

void ReadDocx(ZipArchive& archive, BookWriter& out)
{
    out.title = TitleIn(archive, CoreEntry);
    DocxParser(archive, out).Read();
}

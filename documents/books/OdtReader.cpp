#include "documents/books/OdtReader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/BookXml.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"

#include <QHash>
#include <QSet>

namespace {

const QString ContentEntry = QStringLiteral("content.xml");
const QString StylesEntry = QStringLiteral("styles.xml");
const QString MetaEntry = QStringLiteral("meta.xml");
constexpr int MaxNesting = 200;

struct OdtStyle
{
    QString parent;
    int headingLevel = 0;
    std::optional<bool> bold;
    std::optional<bool> italic;
};

// Styles by family and name ("paragraph:P1", "text:T1").
using OdtStyles = QHash<QString, OdtStyle>;

QString StyleKey(QStringView family, const QString& name)
{
    return family.toString() + u':' + name;
}

bool IsBoldWeight(const QString& weight)
{
    return weight == u"bold" || weight.toInt() >= 600;
}

void ReadStylesFrom(const QByteArray& bytes, const QString& source, const QString& entry, OdtStyles& styles)
{
    BookXmlReader xml(bytes, source, entry);
    QString key;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"body")
            break;
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"style") {
            const QString name = AttributeValue(attributes, u"name");
            key = StyleKey(AttributeValue(attributes, u"family"), name);
            OdtStyle& style = styles[key];
            style.parent = AttributeValue(attributes, u"parent-style-name");
            const QString level = AttributeValue(attributes, u"default-outline-level");
            if (!level.isEmpty())
                style.headingLevel = qBound(1, level.toInt(), 6);
        } else if (xml.name() == u"text-properties" && !key.isEmpty()) {
            OdtStyle& style = styles[key];
            const QString weight = AttributeValue(attributes, u"font-weight");
            const QString slant = AttributeValue(attributes, u"font-style");
            if (!weight.isEmpty())
                style.bold = IsBoldWeight(weight);
            if (!slant.isEmpty())
                style.italic = slant == u"italic" || slant == u"oblique";
        }
    }
    xml.ThrowIfError();
}

// The style with what it inherits from its parents; the nearest setting counts.
OdtStyle Resolved(const OdtStyles& styles, QStringView family, QString name)
{
    OdtStyle result;
    for (int step = 0; step < 16 && !name.isEmpty(); ++step) {
        // Writers use the Title style without always defining it.
        if (name == u"Title" && result.headingLevel == 0)
            result.headingLevel = 1;
        const auto found = styles.constFind(StyleKey(family, name));
        if (found == styles.constEnd())
            break;
        if (result.headingLevel == 0)
            result.headingLevel = found->headingLevel;
        if (!result.bold)
            result.bold = found->bold;
        if (!result.italic)
            result.italic = found->italic;
        name = found->parent;
    }
    return result;
}

BookStyle Applied(BookStyle style, const OdtStyle& odt)
{
    style.bold = odt.bold.value_or(style.bold);
    style.italic = odt.italic.value_or(style.italic);
    return style;
}

// Elements whose content is not the text read aloud.
bool IsLeftOut(QStringView name)
{
    static const QSet<QString> names = {QStringLiteral("note"),
                                        QStringLiteral("frame"),
                                        QStringLiteral("annotation"),
                                        QStringLiteral("tracked-changes"),
                                        QStringLiteral("table-of-content"),
                                        QStringLiteral("alphabetical-index"),
                                        QStringLiteral("illustration-index"),
                                        QStringLiteral("sequence-decls"),
                                        QStringLiteral("variable-decls"),
                                        QStringLiteral("user-field-decls"),
                                        QStringLiteral("forms"),
                                        QStringLiteral("custom-shape"),
                                        QStringLiteral("deletion"),
                                        QStringLiteral("bibliography"),
                                        QStringLiteral("object-index")};
    return names.contains(name.toString());
}

class OdtParser
{
public:
    OdtParser(const QByteArray& content, const QString& source, OdtStyles styles, BookWriter& out)
        : m_styles(std::move(styles)), m_xml(content, source, ContentEntry), m_out(out)
    {}
    void Read();

private:
    void ReadBlocks(int nesting);
    void ReadParagraph(bool heading, int nesting);
    void ReadInline(BookStyle style, int nesting);
    void CheckNesting(int nesting) const;

    const OdtStyles m_styles;
    BookXmlReader m_xml;
    BookWriter& m_out;
};

void OdtParser::CheckNesting(int nesting) const
{
    if (nesting > MaxNesting)
        ThrowBookError(
            m_out.Source(),
            Say("elements are nested deeper than %1", "вложенность элементов глубже %1").arg(MaxNesting));
}

void OdtParser::Read()
{
    while (!m_xml.atEnd()) {
        m_xml.readNext();
        if (m_xml.isStartElement() && m_xml.name() == u"text" && m_xml.namespaceUri().contains(u"office")) {
            ReadBlocks(1);
            break;
        }
    }
    m_xml.ThrowIfError();
    m_out.Finish();
}

void OdtParser::ReadBlocks(int nesting)
{
    CheckNesting(nesting);
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        if (name == u"h" || name == u"p")
            ReadParagraph(name == u"h", nesting + 1);
        else if (IsLeftOut(name))
            m_xml.Skip();
        else // sections, lists and their items, tables, rows, cells
            ReadBlocks(nesting + 1);
    }
    m_xml.ThrowIfError();
}

void OdtParser::ReadParagraph(bool heading, int nesting)
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    const OdtStyle style = Resolved(m_styles, u"paragraph", AttributeValue(attributes, u"style-name"));
    int level = heading ? 1 : style.headingLevel;
    if (heading) {
        const QString outline = AttributeValue(attributes, u"outline-level");
        level = outline.isEmpty() ? qMax(1, style.headingLevel) : qBound(1, outline.toInt(), 6);
    }
    m_out.StartParagraph(level);
    ReadInline(Applied({}, style), nesting);
    m_out.EndParagraph();
}

void OdtParser::ReadInline(BookStyle style, int nesting)
{
    CheckNesting(nesting);
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
            m_out.AddText(m_xml.text(), style);
            break;
        case QXmlStreamReader::EndElement:
            return;
        case QXmlStreamReader::StartElement: {
            const QStringView name = m_xml.name();
            if (name == u"s") {
                m_out.AddText(u" ", style);
                m_xml.Skip();
            } else if (name == u"tab") {
                m_out.AddText(u"\t", style);
                m_xml.Skip();
            } else if (name == u"line-break") {
                m_out.AddLineBreak();
                m_xml.Skip();
            } else if (IsLeftOut(name)) {
                m_xml.Skip();
            } else if (name == u"span") {
                const QString styleName = AttributeValue(m_xml.attributes(), u"style-name");
                ReadInline(Applied(style, Resolved(m_styles, u"text", styleName)), nesting + 1);
            } else {
                ReadInline(style, nesting + 1); // links, bookmarks, changes, fields
            }
            break;
        }
        default:
            break;
        }
    }
    m_xml.ThrowIfError();
}

} // namespace

bool IsOdt(const ZipArchive& archive)
{
    return archive.Contains(ContentEntry) && !archive.Contains(QStringLiteral("word/document.xml"));
}

void ReadOdt(ZipArchive& archive, BookWriter& out)
{
    OdtStyles styles;
    if (archive.Contains(StylesEntry))
        ReadStylesFrom(archive.Read(StylesEntry), archive.Source(), StylesEntry, styles);
    const QByteArray content = archive.Read(ContentEntry);
    ReadStylesFrom(content, archive.Source(), ContentEntry, styles);
    out.title = TitleIn(archive, MetaEntry);
    OdtParser(content, archive.Source(), std::move(styles), out).Read();
}

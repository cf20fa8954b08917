#include "documents/books/BookXml.h"

#include "documents/books/BookWriter.h"
#include "documents/books/ZipArchive.h"
#include "files/MessageLanguage.h"

#include <QHash>

namespace {

// Entity expansion beyond this many characters ends the reading with an error.
constexpr int EntityExpansionLimit = 4096;

class HtmlEntities : public QXmlStreamEntityResolver
{
public:
    QString resolveUndeclaredEntity(const QString& name) override
    {
        const QString value = HtmlEntity(name);
        // Unknown names are kept as the reader sees them rather than ending the book.
        return value.isEmpty() ? QStringLiteral("&%1;").arg(name) : value;
    }
};

HtmlEntities& SharedResolver()
{
    static HtmlEntities resolver;
    return resolver;
}

} // namespace

BookXmlReader::BookXmlReader(const QByteArray& bytes, const QString& source, const QString& entry)
    : QXmlStreamReader(bytes), m_source(source), m_entry(entry)
{
    setEntityExpansionLimit(EntityExpansionLimit);
    setEntityResolver(&SharedResolver());
}

void BookXmlReader::ThrowIfError() const
{
    if (!hasError())
        return;
    const QString where = m_entry.isEmpty() ? QString() : QStringLiteral("«%1», ").arg(m_entry);
    ThrowBookError(m_source,
                   Say("%1line %2: %3", "%1строка %2: %3").arg(where).arg(lineNumber()).arg(errorString()));
}

QString BookXmlReader::ElementText()
{
    QString text;
    for (int depth = 1; depth > 0 && !atEnd();) {
        readNext();
        if (isStartElement())
            ++depth;
        else if (isEndElement())
            --depth;
        else if (isCharacters())
            text += this->text();
    }
    ThrowIfError();
    return text;
}

void BookXmlReader::Skip()
{
    skipCurrentElement();
    ThrowIfError();
}

QString AttributeValue(const QXmlStreamAttributes& attributes, QStringView localName)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (attribute.name() == localName)
            return attribute.value().toString();
    return {};
}

QString HtmlEntity(QStringView name)
{
    static const QHash<QString, char16_t> entities = {
        {QStringLiteral("nbsp"), 0x00A0},   {QStringLiteral("shy"), 0x00AD},
        {QStringLiteral("laquo"), 0x00AB},  {QStringLiteral("raquo"), 0x00BB},
        {QStringLiteral("ndash"), 0x2013},  {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("hellip"), 0x2026}, {QStringLiteral("lsquo"), 0x2018},
        {QStringLiteral("rsquo"), 0x2019},  {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("rdquo"), 0x201D},  {QStringLiteral("bdquo"), 0x201E},
        {QStringLiteral("sbquo"), 0x201A},  {QStringLiteral("copy"), 0x00A9},
        {QStringLiteral("reg"), 0x00AE},    {QStringLiteral("trade"), 0x2122},
        {QStringLiteral("deg"), 0x00B0},    {QStringLiteral("sect"), 0x00A7},
        {QStringLiteral("para"), 0x00B6},   {QStringLiteral("middot"), 0x00B7},
        {QStringLiteral("bull"), 0x2022},   {QStringLiteral("times"), 0x00D7},
        {QStringLiteral("divide"), 0x00F7}, {QStringLiteral("plusmn"), 0x00B1},
        {QStringLiteral("minus"), 0x2212},  {QStringLiteral("thinsp"), 0x2009},
        {QStringLiteral("ensp"), 0x2002},   {QStringLiteral("emsp"), 0x2003},
        {QStringLiteral("zwnj"), 0x200C},   {QStringLiteral("zwj"), 0x200D},
        {QStringLiteral("euro"), 0x20AC},   {QStringLiteral("numero"), 0x2116},
        {QStringLiteral("prime"), 0x2032},  {QStringLiteral("Prime"), 0x2033},
        {QStringLiteral("iexcl"), 0x00A1},  {QStringLiteral("iquest"), 0x00BF},
        {QStringLiteral("amp"), u'&'},      {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},       {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''},
    };
    const auto found = entities.constFind(name.toString());
    return found == entities.constEnd() ? QString() : QString(QChar(*found));
}

QString TitleIn(ZipArchive& archive, const QString& entry)
{
    if (!archive.Contains(entry))
        return {};
    BookXmlReader xml(archive.Read(entry), archive.Source(), entry);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"title")
            return xml.ElementText().simplified();
    }
    xml.ThrowIfError();
    return {};
}

#include "documents/books/HtmlReader.h"

#include "documents/books/BookWriter.h"
#include "documents/books/BookXml.h"
#include "files/TextFileCodec.h"

#include <QList>
#include <QSet>

namespace {

constexpr qsizetype MaxOpenElements = 512;

const QSet<QString>& BlockElements()
{
    static const QSet<QString> names = {
        QStringLiteral("p"),        QStringLiteral("div"),        QStringLiteral("li"),
        QStringLiteral("dt"),       QStringLiteral("dd"),         QStringLiteral("blockquote"),
        QStringLiteral("pre"),      QStringLiteral("tr"),         QStringLiteral("td"),
        QStringLiteral("th"),       QStringLiteral("section"),    QStringLiteral("article"),
        QStringLiteral("header"),   QStringLiteral("footer"),     QStringLiteral("table"),
        QStringLiteral("ul"),       QStringLiteral("ol"),         QStringLiteral("dl"),
        QStringLiteral("address"),  QStringLiteral("center"),     QStringLiteral("main"),
        QStringLiteral("figure"),   QStringLiteral("figcaption"), QStringLiteral("body"),
        QStringLiteral("hr"),       QStringLiteral("caption"),    QStringLiteral("hgroup"),
        QStringLiteral("fieldset"), QStringLiteral("legend"),     QStringLiteral("details"),
        QStringLiteral("summary"),  QStringLiteral("form"),       QStringLiteral("html")};
    return names;
}

// Elements whose content is never text of the book.
const QSet<QString>& SkippedElements()
{
    static const QSet<QString> names = {
        QStringLiteral("head"),   QStringLiteral("script"),   QStringLiteral("style"),
        QStringLiteral("svg"),    QStringLiteral("math"),     QStringLiteral("object"),
        QStringLiteral("video"),  QStringLiteral("audio"),    QStringLiteral("canvas"),
        QStringLiteral("iframe"), QStringLiteral("template"), QStringLiteral("noscript"),
        QStringLiteral("nav"),    QStringLiteral("select"),   QStringLiteral("textarea")};
    return names;
}

// Elements that never have content, so no end tag closes them.
const QSet<QString>& VoidElements()
{
    static const QSet<QString> names = {
        QStringLiteral("img"),   QStringLiteral("br"),    QStringLiteral("hr"),     QStringLiteral("meta"),
        QStringLiteral("link"),  QStringLiteral("input"), QStringLiteral("col"),    QStringLiteral("area"),
        QStringLiteral("base"),  QStringLiteral("wbr"),   QStringLiteral("source"), QStringLiteral("embed"),
        QStringLiteral("param"), QStringLiteral("track")};
    return names;
}

// The content of these runs to their end tag without markup (a "<" in a script is no tag).
bool IsRawText(QStringView name)
{
    return name == u"script" || name == u"style" || name == u"title" || name == u"textarea";
}

int HeadingLevel(QStringView name)
{
    if (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6')
        return name[1].unicode() - u'0';
    return 0;
}

struct Tag
{
    QString name; // lower case, without a namespace prefix
    bool closing = false;
    bool selfClosing = false;
    QString attributes; // as written
};

// The value of attribute name in the attribute text, or an empty string.
QString AttributeIn(const QString& attributes, QStringView name)
{
    const QString lower = attributes.toLower();
    qsizetype at = 0;
    while ((at = lower.indexOf(name, at)) >= 0) {
        const bool startsName = at == 0 || lower[at - 1].isSpace();
        qsizetype i = at + name.size();
        while (i < lower.size() && lower[i].isSpace())
            ++i;
        if (startsName && i < lower.size() && lower[i] == u'=') {
            ++i;
            while (i < lower.size() && lower[i].isSpace())
                ++i;
            if (i < lower.size() && (lower[i] == u'"' || lower[i] == u'\'')) {
                const qsizetype end = lower.indexOf(lower[i], i + 1);
                return attributes.mid(i + 1, end < 0 ? -1 : end - i - 1);
            }
            qsizetype end = i;
            while (end < lower.size() && !lower[end].isSpace())
                ++end;
            return attributes.mid(i, end - i);
        }
        at += name.size();
    }
    return {};
}

// Footnotes and the marks that point to them, as EPUB books and converters tag them.
bool IsNote(const Tag& tag)
{
    const QString type = AttributeIn(tag.attributes, u"epub:type") + u' ' +
                         AttributeIn(tag.attributes, u"role") + u' ' + AttributeIn(tag.attributes, u"class");
    // Word processors mark a page's running header and footer by the title of a division.
    const QString title = AttributeIn(tag.attributes, u"title");
    if (tag.name == u"div" && (title == u"header" || title == u"footer"))
        return true;
    return type.contains(QStringLiteral("footnote")) || type.contains(QStringLiteral("endnote")) ||
           type.contains(QStringLiteral("noteref")) || type.contains(QStringLiteral("rearnote"));
}

class HtmlParser
{
public:
    HtmlParser(QString text, BookWriter& out) : m_text(std::move(text)), m_out(out) {}
    void Read();

private:
    void ReadMarkup();
    void ReadTag();
    void TakeStart(const Tag& tag);
    void TakeEnd(const QString& name);
    void TakeText(QStringView raw);
    void SkipPast(QStringView end);
    QString RawTextUntilEndOf(const QString& name);
    BookStyle Style() const { return {m_bold > 0, m_italic > 0}; }

    struct Open
    {
        QString name;
        bool bold = false;
        bool italic = false;
        bool skipped = false;
    };

    const QString m_text;
    BookWriter& m_out;
    qsizetype m_at = 0;
    QList<Open> m_open;
    int m_bold = 0;
    int m_italic = 0;
    int m_skipped = 0;
};

void HtmlParser::Read()
{
    while (m_at < m_text.size()) {
        const qsizetype lt = m_text.indexOf(u'<', m_at);
        const qsizetype end = lt < 0 ? m_text.size() : lt;
        if (end > m_at)
            TakeText(QStringView(m_text).mid(m_at, end - m_at));
        m_at = end;
        if (m_at < m_text.size())
            ReadMarkup();
    }
    m_out.Finish();
}

void HtmlParser::SkipPast(QStringView end)
{
    const qsizetype found = m_text.indexOf(end, m_at);
    m_at = found < 0 ? m_text.size() : found + end.size();
}

void HtmlParser::ReadMarkup()
{
    const QStringView rest = QStringView(m_text).mid(m_at);
    if (rest.startsWith(u"<!--")) {
        SkipPast(u"-->");
    } else if (rest.startsWith(u"<![CDATA[")) {
        m_at += 9;
        const qsizetype end = m_text.indexOf(QStringLiteral("]]>"), m_at);
        const qsizetype stop = end < 0 ? m_text.size() : end;
        if (m_skipped == 0)
            m_out.AddText(QStringView(m_text).mid(m_at, stop - m_at), Style());
        m_at = end < 0 ? stop : stop + 3;
    } else if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
        SkipPast(u">");
    } else if (rest.size() > 1 && (rest[1].isLetter() || rest[1] == u'/')) {
        ReadTag();
    } else {
        TakeText(rest.left(1)); // a lone "<" is text
        ++m_at;
    }
}

void HtmlParser::ReadTag()
{
    Tag tag;
    qsizetype i = m_at + 1;
    if (m_text[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < m_text.size() && !m_text[i].isSpace() && m_text[i] != u'>' && m_text[i] != u'/')
        ++i;
    tag.name = m_text.mid(nameStart, i - nameStart).toLower();
    if (const qsizetype colon = tag.name.indexOf(u':'); colon >= 0)
        tag.name = tag.name.mid(colon + 1);
    // The tag ends at the first ">" outside quotes.
    QChar quote;
    const qsizetype attributesStart = i;
    for (; i < m_text.size(); ++i) {
        const QChar c = m_text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            break;
        }
    }
    tag.attributes = m_text.mid(attributesStart, i - attributesStart);
    tag.selfClosing = tag.attributes.endsWith(u'/');
    m_at = qMin(i + 1, m_text.size());
    if (tag.closing)
        TakeEnd(tag.name);
    else
        TakeStart(tag);
}

QString HtmlParser::RawTextUntilEndOf(const QString& name)
{
    const QString end = QStringLiteral("</") + name;
    qsizetype found = m_at;
    for (;;) {
        found = m_text.indexOf(end, found, Qt::CaseInsensitive);
        const qsizetype after = found + end.size();
        if (found < 0 || after >= m_text.size() || m_text[after] == u'>' || m_text[after].isSpace())
            break;
        found = after;
    }
    const qsizetype stop = found < 0 ? m_text.size() : found;
    const QString text = m_text.mid(m_at, stop - m_at);
    m_at = stop;
    if (found >= 0)
        SkipPast(u">");
    return text;
}

void HtmlParser::TakeStart(const Tag& tag)
{
    if (IsRawText(tag.name) && !tag.selfClosing) {
        const QString content = RawTextUntilEndOf(tag.name);
        if (tag.name == u"title" && m_out.title.isEmpty())
            m_out.title = DecodeHtmlEntities(content).simplified();
        return;
    }
    if (tag.name == u"body")
        TakeEnd(QStringLiteral("head")); // a head left open ends where the body begins
    const bool block = BlockElements().contains(tag.name);
    const int heading = HeadingLevel(tag.name);
    if (m_skipped == 0) {
        if (tag.name == u"br")
            m_out.AddLineBreak();
        else if (heading > 0)
            m_out.StartParagraph(heading);
        else if (block)
            m_out.EndParagraph();
    }
    // Elements left open past this depth are read as if closed at once: a page of
    // unclosed tags must not make every end tag search an ever deeper stack.
    if (VoidElements().contains(tag.name) || tag.selfClosing || m_open.size() >= MaxOpenElements)
        return;
    Open open{tag.name};
    open.skipped = SkippedElements().contains(tag.name) || IsNote(tag);
    open.bold = tag.name == u"b" || tag.name == u"strong";
    open.italic = tag.name == u"i" || tag.name == u"em" || tag.name == u"cite" || tag.name == u"dfn";
    m_skipped += open.skipped;
    m_bold += open.bold;
    m_italic += open.italic;
    // A paragraph closes an open paragraph, as HTML does for <p> without its end tag.
    if (tag.name == u"p" && !m_open.isEmpty() && m_open.last().name == u"p")
        TakeEnd(tag.name);
    m_open.append(open);
}

void HtmlParser::TakeEnd(const QString& name)
{
    qsizetype found = m_open.size() - 1;
    while (found >= 0 && m_open[found].name != name)
        --found;
    if (found < 0)
        return; // a stray end tag
    while (m_open.size() > found) {
        const Open open = m_open.takeLast();
        m_skipped -= open.skipped;
        m_bold -= open.bold;
        m_italic -= open.italic;
        if (m_skipped == 0 && (HeadingLevel(open.name) > 0 || BlockElements().contains(open.name)))
            m_out.EndParagraph();
    }
}

void HtmlParser::TakeText(QStringView raw)
{
    if (m_skipped > 0)
        return;
    if (!raw.contains(u'&')) {
        m_out.AddText(raw, Style());
        return;
    }
    m_out.AddText(DecodeHtmlEntities(raw.toString()), Style());
}

} // namespace

QString DecodeHtmlEntities(const QString& text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(u'&', i);
        if (amp < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, amp - i);
        const qsizetype semi = text.indexOf(u';', amp);
        const QStringView name =
            semi < 0 || semi - amp > 32 ? QStringView() : QStringView(text).mid(amp + 1, semi - amp - 1);
        QString value;
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.startsWith(u"#x") || name.startsWith(u"#X") ? name.mid(2).toUInt(&ok, 16)
                                                                               : name.mid(1).toUInt(&ok, 10);
            // C0 controls other than line ends and tabs are no text (the speech engine would
            // take them as commands): a blank stands for them.
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t c = code < 0x20 ? U' ' : char32_t(code);
                value = QString::fromUcs4(&c, 1);
            }
        } else if (!name.isEmpty()) {
            value = HtmlEntity(name);
        }
        if (value.isEmpty()) {
            out += u'&';
            i = amp + 1;
        } else {
            out += value;
            i = semi + 1;
        }
    }
    return out;
}

bool LooksLikeHtml(const QByteArray& bytes)
{
    QByteArray head = bytes.left(4096);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    qsizetype i = 0;
    for (;;) {
        while (i < head.size() && QChar(head[i]).isSpace())
            ++i;
        const QByteArray rest = head.mid(i);
        if (rest.startsWith("<?") || rest.startsWith("<!--")) {
            const qsizetype end = head.indexOf(rest.startsWith("<?") ? "?>" : "-->", i);
            if (end < 0)
                return false;
            i = end + 2;
            continue;
        }
        const QByteArray lower = rest.left(14).toLower();
        return lower.startsWith("<!doctype html") || lower.startsWith("<html");
    }
}

void ReadHtml(const QByteArray& bytes, BookWriter& out)
{
    HtmlParser(DecodeTextBytes(bytes).text, out).Read();
}

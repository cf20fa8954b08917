#include "speech/xml/SapiMarkupScanner.h"

#include "speech/xml/SapiEntities.h"

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u':';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u':' || c == u'-' || c == u'.';
}

bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

SapiMarkupScanner::SapiMarkupScanner(const QString& markup) : m_markup(markup) {}

SapiMarkupScanner::Token SapiMarkupScanner::Next()
{
    m_text.clear();
    m_positions.clear();
    if (m_at >= m_markup.size())
        return Token::End;
    if (m_markup[m_at] == u'<' && StartsMarkup(m_at)) {
        const Token token = ReadMarkup();
        if (token != Token::End)
            return token;
        AppendCharacter(m_at); // a '<' that begins no tag is text
    }
    ReadText();
    return Token::Text;
}

// '<' followed by a name, "/" and a name, "!" or "?" may begin markup; any other '<' is text.
bool SapiMarkupScanner::StartsMarkup(qsizetype at) const
{
    if (at + 1 >= m_markup.size())
        return false;
    const QChar c = m_markup[at + 1];
    if (c == u'!' || c == u'?' || isNameStart(c))
        return true;
    return c == u'/' && at + 2 < m_markup.size() && isNameStart(m_markup[at + 2]);
}

// Reads the markup at m_at; End (and nothing read) when it is not well-formed.
SapiMarkupScanner::Token SapiMarkupScanner::ReadMarkup()
{
    m_tag = SapiTag();
    const QStringView rest = QStringView(m_markup).mid(m_at);
    if (rest.startsWith(u"<!--")) {
        SkipTo(QStringLiteral("-->"), m_at + 4);
        return Token::Skipped;
    }
    if (rest.startsWith(u"<![CDATA[")) {
        ReadCData(m_at + 9);
        return m_text.isEmpty() ? Token::Skipped : Token::Text;
    }
    if (rest.startsWith(u"<?")) {
        SkipTo(QStringLiteral("?>"), m_at + 2);
        return Token::Skipped;
    }
    const qsizetype end = FindTagEnd(m_at + 1);
    if (end < 0)
        return Token::End;
    const bool declaration = m_markup[m_at + 1] == u'!';
    if (!declaration)
        ParseTag(m_at + 1, end);
    m_at = end + 1;
    return declaration ? Token::Skipped : Token::Tag;
}

void SapiMarkupScanner::ReadText()
{
    const qsizetype size = m_markup.size();
    while (m_at < size && !(m_markup[m_at] == u'<' && StartsMarkup(m_at)))
        AppendCharacter(m_at);
}

// The text of a CDATA section is taken as written; an unclosed one runs to the end.
void SapiMarkupScanner::ReadCData(qsizetype contentStart)
{
    qsizetype end = m_markup.indexOf(QStringLiteral("]]>"), contentStart);
    const qsizetype contentEnd = end < 0 ? m_markup.size() : end;
    for (qsizetype i = contentStart; i < contentEnd; ++i) {
        m_text += m_markup[i];
        m_positions += int(i);
    }
    m_at = end < 0 ? m_markup.size() : end + 3;
}

// Comments and processing instructions end at their terminator; an unclosed one hides
// everything after it, as its writer asked.
void SapiMarkupScanner::SkipTo(const QString& terminator, qsizetype from)
{
    const qsizetype end = m_markup.indexOf(terminator, from);
    m_at = end < 0 ? m_markup.size() : end + terminator.size();
}

// The '>' that ends the tag begun just before from: the first one outside quotes, or, when
// a quote is left open, the first one at all. A tag never reaches past the next '<', so
// no character is scanned on behalf of more than one tag. -1: there is no end.
qsizetype SapiMarkupScanner::FindTagEnd(qsizetype from) const
{
    qsizetype limit = m_markup.indexOf(u'<', from);
    if (limit < 0)
        limit = m_markup.size();
    QChar quote;
    qsizetype firstGreater = -1;
    for (qsizetype i = from; i < limit; ++i) {
        const QChar c = m_markup[i];
        if (c == u'>' && firstGreater < 0)
            firstGreater = i;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i;
        }
    }
    return firstGreater;
}

// Reads "name attr="value" ..." or "/name" between from and the closing '>' at end.
void SapiMarkupScanner::ParseTag(qsizetype from, qsizetype end)
{
    qsizetype at = from;
    if (m_markup[at] == u'/') {
        m_tag.closing = true;
        ++at;
    }
    at = ReadName(at, end, m_tag.name);
    m_tag.name = m_tag.name.toLower();
    qsizetype last = end - 1;
    while (last >= at && isBlank(m_markup[last]))
        --last;
    m_tag.empty = last >= at && m_markup[last] == u'/';
    while (at < end) {
        if (isBlank(m_markup[at]) || m_markup[at] == u'/' || m_markup[at] == u'=') {
            ++at;
            continue;
        }
        QString name;
        QString value;
        at = ReadName(at, end, name);
        if (name.isEmpty()) {
            ++at; // a character that begins no attribute
            continue;
        }
        while (at < end && isBlank(m_markup[at]))
            ++at;
        if (at < end && m_markup[at] == u'=')
            at = ReadAttributeValue(at + 1, end, value);
        m_tag.attributes.append({name.toLower(), DecodeSapiEntities(value)});
    }
}

qsizetype SapiMarkupScanner::ReadName(qsizetype at, qsizetype end, QString& name) const
{
    const qsizetype start = at;
    while (at < end && isNameChar(m_markup[at]))
        ++at;
    name = m_markup.mid(start, at - start);
    return at;
}

// A quoted value runs to its closing quote (or the tag's end), a bare one to a blank.
qsizetype SapiMarkupScanner::ReadAttributeValue(qsizetype at, qsizetype end, QString& value) const
{
    while (at < end && isBlank(m_markup[at]))
        ++at;
    if (at >= end)
        return at;
    const QChar quote = m_markup[at];
    if (quote == u'"' || quote == u'\'') {
        qsizetype close = at + 1;
        while (close < end && m_markup[close] != quote)
            ++close;
        value = m_markup.mid(at + 1, close - at - 1);
        return close + 1;
    }
    const qsizetype start = at;
    while (at < end && !isBlank(m_markup[at]) && !(m_markup[at] == u'/' && at + 1 == end))
        ++at;
    value = m_markup.mid(start, at - start);
    return at;
}

// Adds the character at the given index (a whole reference when it is one) to the text.
void SapiMarkupScanner::AppendCharacter(qsizetype at)
{
    if (m_markup[at] == u'&') {
        const qsizetype before = m_text.size();
        const qsizetype after = DecodeSapiEntity(m_markup, at, m_text);
        if (after != at) {
            for (qsizetype i = before; i < m_text.size(); ++i)
                m_positions += int(at);
            m_at = after;
            return;
        }
    }
    m_text += m_markup[at];
    m_positions += int(at);
    m_at = at + 1;
}

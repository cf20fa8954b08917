#include "speech/xml/SapiXmlParser.h"

#include <algorithm>

namespace {

// The element families; "lang" is the language element the palette's "</lang>" closes,
// and it closes a voice element just as well.
QString groupOf(const QString& name)
{
    static const QStringList known{
        QStringLiteral("voice"),   QStringLiteral("volume"),   QStringLiteral("rate"),
        QStringLiteral("pitch"),   QStringLiteral("emph"),     QStringLiteral("silence"),
        QStringLiteral("pron"),    QStringLiteral("bookmark"), QStringLiteral("partofsp"),
        QStringLiteral("context"), QStringLiteral("spell")};
    if (name == u"lang")
        return QStringLiteral("voice");
    return known.contains(name) ? name : QString();
}

std::optional<qint64> parseNumber(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<int> parseClamped(const QString& text, int low, int high)
{
    const auto value = parseNumber(text);
    if (!value)
        return std::nullopt;
    return int(std::clamp<qint64>(*value, low, high));
}

// A language id in hex, with or without "0x".
int parseLanguageId(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const int id = text.toInt(&ok, 16);
    return ok && id > 0 && id <= 0xFFFF ? id : 0;
}

// "Language=409" or a list such as "Gender=Female;Language=419": the first language given.
int languageFromAttributes(const QString& list)
{
    for (const QString& item : list.split(u';')) {
        const qsizetype equals = item.indexOf(u'=');
        if (equals < 0 ||
            item.left(equals).trimmed().compare(QStringLiteral("language"), Qt::CaseInsensitive))
            continue;
        const QString values = item.mid(equals + 1);
        if (const int id = parseLanguageId(values.section(u',', 0, 0)))
            return id;
    }
    return 0;
}

} // namespace

SapiXmlParser::SapiXmlParser(const QString& markup) : m_scanner(markup) {}

QList<SapiSegment> SapiXmlParser::Parse()
{
    for (;;) {
        switch (m_scanner.Next()) {
        case SapiMarkupScanner::Token::End:
            return m_segments;
        case SapiMarkupScanner::Token::Text:
            AddText(m_scanner.Text(), m_scanner.Positions());
            break;
        case SapiMarkupScanner::Token::Tag:
            if (m_scanner.Tag().closing)
                CloseElement(m_scanner.Tag().name);
            else
                OpenElement(m_scanner.Tag());
            break;
        case SapiMarkupScanner::Token::Skipped:
            break;
        }
    }
}

// Unknown elements are passed over; known ones that enclose text remember the settings
// to return to, then change them.
void SapiXmlParser::OpenElement(const SapiTag& tag)
{
    const QString group = groupOf(tag.name);
    if (group.isEmpty())
        return;
    if (!tag.empty) {
        m_openByGroup[group].push_back(qsizetype(m_open.size()));
        m_open.push_back({group, m_settings});
    }
    Apply(tag);
}

void SapiXmlParser::CloseElement(const QString& name)
{
    const auto found = m_openByGroup.find(groupOf(name));
    if (found == m_openByGroup.end() || found->empty())
        return;
    const qsizetype target = found->back();
    m_settings = m_open[std::size_t(target)].before;
    while (qsizetype(m_open.size()) > target) {
        m_openByGroup[m_open.back().group].pop_back();
        m_open.pop_back();
    }
}

void SapiXmlParser::Apply(const SapiTag& tag)
{
    const QString& name = tag.name;
    if (name == u"voice") {
        int id = languageFromAttributes(tag.Attribute(QStringLiteral("required")));
        if (!id)
            id = languageFromAttributes(tag.Attribute(QStringLiteral("optional")));
        if (id)
            m_settings.languageId = id;
    } else if (name == u"lang") {
        if (const int id = parseLanguageId(tag.Attribute(QStringLiteral("langid"))))
            m_settings.languageId = id;
    } else if (name == u"volume") {
        if (const auto level = parseClamped(tag.Attribute(QStringLiteral("level")), 0, 100))
            m_settings.volume = level;
    } else if (name == u"rate") {
        ApplyScale(tag.Attribute(QStringLiteral("absspeed")), tag.Attribute(QStringLiteral("speed")),
                   m_settings.rateAbsolute, m_settings.rateRelative);
    } else if (name == u"pitch") {
        ApplyScale(tag.Attribute(QStringLiteral("absmiddle")), tag.Attribute(QStringLiteral("middle")),
                   m_settings.pitchAbsolute, m_settings.pitchRelative);
    } else if (name == u"emph") {
        m_settings.emphasis = true;
    } else if (name == u"spell") {
        m_settings.spell = true;
    } else if (name == u"silence") {
        AddSilence(tag);
    }
}

// Rate and pitch: an absolute value (-10..10) replaces the setting and drops earlier
// relative changes; a relative one (-10..10) adds to them, the sum kept within -10..10.
void SapiXmlParser::ApplyScale(const QString& absoluteText, const QString& relativeText,
                               std::optional<int>& absolute, int& relative)
{
    if (const auto value = parseClamped(absoluteText, -10, 10)) {
        absolute = value;
        relative = 0;
    }
    if (const auto change = parseClamped(relativeText, -10, 10))
        relative = std::clamp(relative + *change, -10, 10);
}

void SapiXmlParser::AddText(const QString& text, const QList<int>& positions)
{
    if (text.isEmpty())
        return;
    const bool merge = !m_segments.isEmpty() && m_segments.last().kind == SapiSegment::Kind::Text &&
                       m_lastTextSettings == m_settings;
    if (!merge) {
        m_segments.append(Segment(SapiSegment::Kind::Text));
        m_lastTextSettings = m_settings;
    }
    m_segments.last().text += text;
    m_segments.last().sourcePositions += positions;
}

void SapiXmlParser::AddSilence(const SapiTag& tag)
{
    const auto ms = parseClamped(tag.Attribute(QStringLiteral("msec")), 0, MaxSilenceMs);
    if (!ms || *ms == 0)
        return;
    SapiSegment silence = Segment(SapiSegment::Kind::Silence);
    silence.silenceMs = *ms;
    m_segments.append(silence);
}

SapiSegment SapiXmlParser::Segment(SapiSegment::Kind kind) const
{
    SapiSegment out;
    out.kind = kind;
    out.languageId = m_settings.languageId;
    out.rateAbsolute = m_settings.rateAbsolute;
    out.rateRelative = m_settings.rateRelative;
    out.volume = m_settings.volume;
    out.pitchAbsolute = m_settings.pitchAbsolute;
    out.pitchRelative = m_settings.pitchRelative;
    out.emphasis = m_settings.emphasis;
    out.spell = m_settings.spell;
    return out;
}

#include "speech/xml/SapiEntities.h"

#include <QStringView>

namespace {

// Longer than any reference this decoder knows ("#x10FFFF").
constexpr qsizetype MaxReferenceLength = 10;

char32_t namedEntity(QStringView name)
{
    if (name == u"lt")
        return U'<';
    if (name == u"gt")
        return U'>';
    if (name == u"amp")
        return U'&';
    if (name == u"quot")
        return U'"';
    if (name == u"apos")
        return U'\'';
    return 0;
}

char32_t numericEntity(QStringView digits)
{
    int base = 10;
    if (digits.startsWith(u'x') || digits.startsWith(u'X')) {
        base = 16;
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const bool decimal = u >= u'0' && u <= u'9';
        const bool hexLetter = (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!(decimal || (base == 16 && hexLetter)))
            return 0;
    }
    bool ok = false;
    const uint value = digits.toUInt(&ok, base);
    if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return char32_t(value);
}

} // namespace

qsizetype DecodeSapiEntity(const QString& markup, qsizetype at, QString& out)
{
    // Looks only a few characters ahead, so a text full of '&' stays linear.
    const QStringView ahead = QStringView(markup).mid(at + 1, MaxReferenceLength + 1);
    const qsizetype length = ahead.indexOf(u';');
    if (length <= 0)
        return at;
    const qsizetype semicolon = at + 1 + length;
    const QStringView name = QStringView(markup).mid(at + 1, semicolon - at - 1);
    const char32_t code = name.startsWith(u'#') ? numericEntity(name.mid(1)) : namedEntity(name);
    if (code == 0)
        return at;
    out += QString::fromUcs4(&code, 1);
    return semicolon + 1;
}

QString DecodeSapiEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            const qsizetype after = DecodeSapiEntity(text, i, out);
            if (after != i) {
                i = after;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

#include "speech/EspeakVoiceList.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <espeak-ng/speak_lib.h>

namespace {

const QLatin1String VariantPrefix("!v/");
const QString EspeakEngineName = EspeakVoiceList::EngineName();

// MBROLA voices need databases of their own and variants are no languages: neither is
// offered as a voice of its own.
bool IsOffered(const QString& id)
{
    return !id.startsWith(QLatin1String("mb/")) && !id.startsWith(VariantPrefix) &&
           !id.startsWith(QLatin1String("mb-"));
}

// The voices whose variants are offered: the languages Vemo reads. Every variant of every
// language would put thousands of entries into each list.
bool TakesVariants(const QString& language)
{
    return language == u"ru" || language == u"en-gb" || language == u"en-us";
}

// languages holds a priority byte, then a language name, then further pairs.
QString FirstLanguage(const char* languages)
{
    return languages && languages[0] ? QString::fromUtf8(languages + 1) : QString();
}

// "female2" reads as "female 2".
QString VariantName(const char* name)
{
    static const QRegularExpression trailingNumber(QStringLiteral("(\\D)(\\d+)$"));
    return QString::fromUtf8(name).replace(trailingNumber, QStringLiteral("\\1 \\2"));
}

struct Variant
{
    QString file; // "f2" of "!v/f2"
    QString name; // "female 2"
};

// espeak-ng lists its variants only when asked for the language "variant".
QList<Variant> ReadVariants()
{
    espeak_VOICE wanted{};
    char language[] = "variant";
    wanted.languages = language;
    const espeak_VOICE** voices = espeak_ListVoices(&wanted);
    QList<Variant> variants;
    for (int i = 0; voices && voices[i]; ++i) {
        const QString id = QString::fromUtf8(voices[i]->identifier);
        if (id.startsWith(VariantPrefix))
            variants.append({id.mid(VariantPrefix.size()), VariantName(voices[i]->name)});
    }
    std::sort(variants.begin(), variants.end(), [](const Variant& a, const Variant& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return variants;
}

} // namespace

EspeakVoiceList EspeakVoiceList::Read()
{
    EspeakVoiceList list;
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    list.m_dataPath = dataPath ? QString::fromLocal8Bit(dataPath) : QString();
    const QList<Variant> variants = ReadVariants();
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    QList<VoiceToken> withVariants;
    for (int i = 0; voices && voices[i]; ++i) {
        const QString id = QString::fromUtf8(voices[i]->identifier);
        if (!IsOffered(id))
            continue;
        const QString language = FirstLanguage(voices[i]->languages);
        const QString name = QString::fromUtf8(voices[i]->name);
        list.m_voices.append(
            {id, VoiceDescription(name, language, EspeakEngineName), language, EspeakEngineName});
        if (!TakesVariants(language))
            continue;
        for (const Variant& variant : variants) {
            const QString variantName = QStringLiteral("%1 (%2) + %3").arg(name, language, variant.name);
            withVariants.append({id + u'+' + variant.file,
                                 QStringLiteral("%1 [%2]").arg(variantName, EspeakEngineName), language,
                                 EspeakEngineName, true});
        }
    }
    // The base voices keep their places; the variants follow them all.
    list.m_voices += withVariants;
    return list;
}

VoiceToken EspeakVoiceList::Find(const QString& id) const
{
    for (const VoiceToken& token : m_voices) {
        if (token.id == id)
            return token;
    }
    return {};
}

bool EspeakVoiceList::IsInstalled(const VoiceToken& token) const
{
    if (m_dataPath.isEmpty())
        return true;
    const QDir data(m_dataPath);
    const qsizetype plus = token.id.indexOf(u'+');
    const QString voice = plus < 0 ? token.id : token.id.left(plus);
    const bool voiceThere = QFileInfo::exists(data.filePath(QStringLiteral("lang/") + voice)) ||
                            QFileInfo::exists(data.filePath(QStringLiteral("voices/") + voice));
    return voiceThere &&
           (plus < 0 ||
            QFileInfo::exists(data.filePath(QStringLiteral("voices/!v/") + token.id.mid(plus + 1))));
}

VoiceToken EspeakVoiceList::FirstOfLanguage(const QString& prefix) const
{
    for (const VoiceToken& token : m_voices) {
        if (token.language == prefix && !token.variant)
            return token;
    }
    for (const VoiceToken& token : m_voices) {
        if ((token.language == prefix || token.language.startsWith(prefix + u'-')) && !token.variant)
            return token;
    }
    return {};
}
VoiceToken EspeakVoiceList::ForLanguage(const VoiceToken& own, int languageId) const
{
    // The ids name a country too: 409 is English of the United States, 419 Russian.
    QString prefix;
    QString exact;
    if (languageId == 0x409) {
        prefix = QStringLiteral("en");
        exact = QStringLiteral("en-us");
    } else if (languageId == 0x419) {
        prefix = exact = QStringLiteral("ru");
    }
    if (prefix.isEmpty() || own.language == prefix || own.language.startsWith(prefix + u'-'))
        return own;
    const VoiceToken other =
        FirstOfLanguage(exact).IsNull() ? FirstOfLanguage(prefix) : FirstOfLanguage(exact);
    return other.IsNull() ? own : other;
}

#include "speech/EspeakVoiceList.h"

#include <QDir>
#include <QFileInfo>
#include <espeak-ng/speak_lib.h>

namespace {

// MBROLA voices need databases of their own and variants are no languages: neither is
// offered.
bool IsOffered(const QString& id)
{
    return !id.startsWith(QLatin1String("mb/")) && !id.startsWith(QLatin1String("!v/")) &&
           !id.startsWith(QLatin1String("mb-"));
}

// languages holds a priority byte, then a language name, then further pairs.
QString FirstLanguage(const char* languages)
{
    return languages && languages[0] ? QString::fromUtf8(languages + 1) : QString();
}

} // namespace

EspeakVoiceList EspeakVoiceList::read()
{
    EspeakVoiceList list;
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    list.m_dataPath = dataPath ? QString::fromLocal8Bit(dataPath) : QString();
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices && voices[i]; ++i) {
        const QString id = QString::fromUtf8(voices[i]->identifier);
        if (!IsOffered(id))
            continue;
        const QString language = FirstLanguage(voices[i]->languages);
        const QString name = QString::fromUtf8(voices[i]->name);
        list.m_voices.append({id, QStringLiteral("%1 (%2)").arg(name, language), language});
    }
    return list;
}

VoiceToken EspeakVoiceList::find(const QString& id) const
{
    for (const VoiceToken& token : m_voices) {
        if (token.id == id)
            return token;
    }
    return {};
}

bool EspeakVoiceList::isInstalled(const VoiceToken& token) const
{
    if (m_dataPath.isEmpty())
        return true;
    const QDir data(m_dataPath);
    return QFileInfo::exists(data.filePath(QStringLiteral("lang/") + token.id)) ||
           QFileInfo::exists(data.filePath(QStringLiteral("voices/") + token.id));
}

VoiceToken EspeakVoiceList::firstOfLanguage(const QString& prefix) const
{
    for (const VoiceToken& token : m_voices) {
        if (token.language == prefix)
            return token;
    }
    for (const VoiceToken& token : m_voices) {
        if (token.language == prefix || token.language.startsWith(prefix + u'-'))
            return token;
    }
    return {};
}

VoiceToken EspeakVoiceList::forLanguage(const VoiceToken& own, int languageId) const
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
        firstOfLanguage(exact).isNull() ? firstOfLanguage(prefix) : firstOfLanguage(exact);
    return other.isNull() ? own : other;
}

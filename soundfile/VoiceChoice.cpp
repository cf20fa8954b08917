#include "soundfile/VoiceChoice.h"

#include "files/VemoError.h"

namespace {

bool Equal(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

VoiceToken ChooseVoice(const QList<VoiceToken>& voices, const QString& name, const QString& language)
{
    if (voices.isEmpty())
        throw VemoError(QStringLiteral("The speech engine offers no voice."));
    for (const VoiceToken& voice : voices) {
        if (name.isEmpty() ? voice.language.startsWith(language, Qt::CaseInsensitive)
                           : Equal(voice.id, name) || Equal(voice.description, name))
            return voice;
    }
    if (name.isEmpty())
        return voices.constFirst();
    throw VemoError(QStringLiteral("No voice is called «%1» (vemo --list-voices lists them).").arg(name));
}

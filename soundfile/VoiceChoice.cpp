#include "soundfile/VoiceChoice.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/DefaultVoice.h"

#include <algorithm>

namespace {

// How long the command line waits for the speech service to list its voices.
constexpr int ServiceListingWaitMs = 30000;

bool Equal(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool Names(const VoiceToken& voice, const QString& name)
{
    // A description names its engine last, in brackets; a name without it still matches.
    const QString suffix = QStringLiteral(" [%1]").arg(voice.engine);
    const QString bare =
        voice.description.endsWith(suffix) ? voice.description.chopped(suffix.size()) : voice.description;
    return Equal(voice.id, name) || Equal(voice.description, name) || Equal(bare, name);
}

} // namespace

VoiceToken ChooseVoice(const QList<VoiceToken>& voices, const QString& name, const QString& language)
{
    if (voices.isEmpty())
        throw VemoError(
            Say("The speech engine offers no voice.", "Синтезатор речи не предлагает ни одного голоса."));
    if (name.isEmpty())
        return voices.at(qMax<qsizetype>(0, DefaultVoiceIndex(voices, language)));
    for (const VoiceToken& voice : voices) {
        if (Names(voice, name))
            return voice;
    }
    throw VemoError(Say("No voice is called «%1» (vemo --list-voices lists them).",
                        "Голоса «%1» нет (голоса перечисляет vemo --list-voices).")
                        .arg(name));
}

QList<VoiceToken> VoicesToChooseFrom(SpeechVoice& voice, const QString& name)
{
    const QList<VoiceToken> voices = voice.GetVoices();
    if (name.isEmpty() || std::any_of(voices.cbegin(), voices.cend(),
                                      [&name](const VoiceToken& token) { return Names(token, name); }))
        return voices;
    voice.WaitForVoices(ServiceListingWaitMs);
    return voice.GetVoices();
}

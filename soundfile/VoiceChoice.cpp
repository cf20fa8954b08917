#include "soundfile/VoiceChoice.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/DefaultVoice.h"

namespace {

bool Equal(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
        // A description names its engine last, in brackets; a name without it still matches.
        const QString suffix = QStringLiteral(" [%1]").arg(voice.engine);
        const QString bare =
            voice.description.endsWith(suffix) ? voice.description.chopped(suffix.size()) : voice.description;
        if (Equal(voice.id, name) || Equal(voice.description, name) || Equal(bare, name))
            return voice;
    }
    throw VemoError(Say("No voice is called «%1» (vemo --list-voices lists them).",
                        "Голоса «%1» нет (голоса перечисляет vemo --list-voices).")
                        .arg(name));
}

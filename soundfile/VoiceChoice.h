#pragma once

#include "speech/SpeechVoice.h"

#include <QList>
#include <QString>

// The voice a name asks for: the first whose id or description equals it, letters of
// either case alike. An empty name gives the first voice of the language ("ru", "en"), or
// the first voice when the language has none. Throws VemoError when nothing matches.
VoiceToken ChooseVoice(const QList<VoiceToken>& voices, const QString& name, const QString& language);

// The voices to choose a named voice from: the voice's list, and when the name is not on it,
// the list after the speech service has answered (which may take seconds).
QList<VoiceToken> VoicesToChooseFrom(SpeechVoice& voice, const QString& name);

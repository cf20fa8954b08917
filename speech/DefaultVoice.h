#pragma once

#include "speech/SpeechVoice.h"

#include <QList>
#include <QString>

// The voice a list starts on when the user has chosen none, for a language ("ru", "en"):
// for English the voice of Great Britain, else of America, else the first English voice;
// otherwise the voice of exactly that language, else the first of its variants. -1 when
// the list has no voice of the language.
qsizetype DefaultVoiceIndex(const QList<VoiceToken>& voices, const QString& language);

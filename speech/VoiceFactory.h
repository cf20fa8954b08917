#pragma once

#include <QObject>
#include <memory>

class SpeechVoice;

enum class SpeechEngineKind
{
    Espeak, // the engines in the program (espeak-ng, Flite, Festival), aloud or into a file stream,
            // and speech-dispatcher's voices, aloud only
    Test,   // deterministic: fixed time per word, events computed from the text
};

// The engine named by the environment variable VEMO_SPEECH_ENGINE ("test" or "espeak"),
// espeak-ng when it is unset.
SpeechEngineKind DefaultSpeechEngine();

std::unique_ptr<SpeechVoice> CreateVoice(SpeechEngineKind kind, QObject* parent = nullptr);

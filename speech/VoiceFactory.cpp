#include "speech/VoiceFactory.h"

#include "speech/CombinedVoice.h"
#include "speech/TestVoice.h"

SpeechEngineKind DefaultSpeechEngine()
{
    const QByteArray name = qgetenv("VEMO_SPEECH_ENGINE").trimmed().toLower();
    return name == "test" ? SpeechEngineKind::Test : SpeechEngineKind::Espeak;
}

std::unique_ptr<SpeechVoice> CreateVoice(SpeechEngineKind kind, QObject* parent)
{
    switch (kind) {
    case SpeechEngineKind::Test:
        return std::make_unique<TestVoice>(parent);
    case SpeechEngineKind::Espeak:
        break;
    }
    return std::make_unique<CombinedVoice>(parent);
}

#include "speech/EngineWorker.h"

#include "files/MessageLanguage.h"
#include "speech/EspeakSynthesis.h"
#include "speech/FestivalEngine.h"
#include "speech/FliteEngine.h"
#include "speech/SpeechQueue.h"

#include <espeak-ng/speak_lib.h>

namespace {

// espeak-ng's state outlives any one engine thread; it is started once and kept.
int StartEspeak()
{
    static const int sampleRate = [] {
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, 0);
        if (rate > 0)
            espeak_SetSynthCallback(&EspeakSynthesis::Callback);
        return rate;
    }();
    return sampleRate;
}

} // namespace

EngineWorker::~EngineWorker() = default;

void EngineWorker::Initialise()
{
    m_engines.push_back(std::make_unique<FliteEngine>());
    m_engines.push_back(std::make_unique<FestivalEngine>());
    const int rate = StartEspeak();
    if (rate == EngineSampleRate) {
        m_voices = EspeakVoiceList::Read();
        m_ready = true;
    } else {
        m_failure = rate <= 0 ? Say("espeak-ng did not start: its data (espeak-ng-data) is missing.",
                                    "espeak-ng не запустился: нет его данных (espeak-ng-data).")
                              : Say("espeak-ng gives sound at %1 Hz instead of %2 Hz.",
                                    "espeak-ng выдаёт звук с частотой %1 Гц вместо %2 Гц.")
                                    .arg(rate)
                                    .arg(EngineSampleRate);
    }
    m_allVoices = m_voices.Voices();
    for (const auto& engine : m_engines)
        m_allVoices += engine->Voices();
}

void EngineWorker::Speak(const SpeechJob& job)
{
    for (const auto& engine : m_engines) {
        if (engine->Name() == job.voice.engine) {
            engine->Speak(job);
            return;
        }
    }
    SpeakEspeak(job);
}

void EngineWorker::SpeakEspeak(const SpeechJob& job)
{
    EspeakSynthesis synthesis(job, m_voices, m_currentVoice);
    if (m_ready) {
        synthesis.Run();
        return;
    }
    job.queue->SetFailure(m_failure);
    synthesis.EndUnspoken();
}

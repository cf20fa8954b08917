#include "speech/EspeakWorker.h"

#include "speech/EspeakSynthesis.h"
#include "speech/SpeechQueue.h"

#include <espeak-ng/speak_lib.h>

namespace {

// espeak-ng's state outlives any one engine thread; it is started once and kept.
int StartEspeak()
{
    static const int sampleRate = [] {
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, 0);
        if (rate > 0)
            espeak_SetSynthCallback(&EspeakSynthesis::callback);
        return rate;
    }();
    return sampleRate;
}

} // namespace

void EspeakWorker::initialise()
{
    const int rate = StartEspeak();
    if (rate != EngineSampleRate) {
        m_failure = rate <= 0 ? QStringLiteral("espeak-ng не запустился: нет его данных (espeak-ng-data).")
                              : QStringLiteral("espeak-ng выдаёт звук с частотой %1 Гц вместо %2 Гц.")
                                    .arg(rate)
                                    .arg(EngineSampleRate);
        return;
    }
    m_voices = EspeakVoiceList::read();
    m_ready = true;
}

void EspeakWorker::speak(const EspeakJob& job)
{
    EspeakSynthesis synthesis(job, m_voices, m_currentVoice);
    if (m_ready) {
        synthesis.run();
        return;
    }
    job.queue->setFailure(m_failure);
    synthesis.endUnspoken();
}

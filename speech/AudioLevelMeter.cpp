#include "speech/AudioLevelMeter.h"

#include <cmath>

namespace {

constexpr qsizetype BlockSamples = EngineSampleRate / 20;

// A level of 100 at a quarter of full scale (RMS), loud speech; silence is 0.
int LevelOf(double rms)
{
    return int(std::lround(qMin(1.0, rms / 8192.0) * 100));
}

} // namespace

QList<SpeechEvent> AudioLevelMeter::Measure(const qint16* samples, qsizetype count)
{
    QList<SpeechEvent> events;
    for (qsizetype i = 0; i < count; ++i) {
        m_sumSquares += double(samples[i]) * samples[i];
        if (++m_filled < BlockSamples)
            continue;
        SpeechEvent event;
        event.kind = SpeechEvent::Kind::AudioLevel;
        event.streamNumber = m_streamNumber;
        event.sample = m_blockStart;
        event.streamPosition = m_blockStart * 2;
        event.level = LevelOf(std::sqrt(m_sumSquares / double(m_filled)));
        events.append(event);
        m_blockStart += m_filled;
        m_filled = 0;
        m_sumSquares = 0;
    }
    return events;
}

#include "speech/TestVoiceWriter.h"

#include "speech/SegmentSettings.h"
#include "speech/SpeechQueue.h"
#include "speech/SpokenText.h"
#include "speech/WordEventFilter.h"
#include "speech/filestream/SpFileStream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr qsizetype FlushSamples = 1 << 16;
constexpr int ToneHz = 441; // a whole number of samples per period at 22050 Hz
constexpr int FullVolumeAmplitude = 8000;

} // namespace

TestVoiceWriter::TestVoiceWriter(std::shared_ptr<SpeechQueue> queue, SpFileStream* file, int streamNumber,
                                 int generation)
    : m_queue(std::move(queue)), m_file(file), m_streamNumber(streamNumber), m_generation(generation),
      m_meter(streamNumber)
{}

void TestVoiceWriter::Write(const SpokenText& spoken, int wordMs, int rate, int volume)
{
    m_queue->BeginStream(m_generation);
    WordEventFilter filter(spoken);
    const QList<int> starts = filter.WordStarts();
    qsizetype next = 0;
    for (qsizetype k = 0; k < spoken.Segments().size(); ++k) {
        const SapiSegment& segment = spoken.Segments().at(k);
        if (segment.kind == SapiSegment::Kind::Silence) {
            WriteSilence(segment.silenceMs);
            continue;
        }
        const SegmentSettings settings = SegmentSettings::Of(segment, rate, volume);
        const qsizetype wordSamples =
            qMax<qsizetype>(1, std::lround(wordMs * EngineSampleRate / 1000.0 / RateFactor(settings.rate)));
        const int end = spoken.SegmentOffset(k) + int(segment.text.size());
        for (; next < starts.size() && starts.at(next) < end; ++next) {
            AddEvents(filter.EventsForWord(starts.at(next)));
            WriteTone(wordSamples, settings.volume);
        }
    }
    Flush();
    SpeechEvent end;
    end.kind = SpeechEvent::Kind::EndStream;
    end.streamNumber = m_streamNumber;
    end.streamPosition = m_written * 2;
    end.immediate = m_file != nullptr;
    if (m_file)
        m_file->Flush();
    m_queue->FinishStream(m_generation, end);
}

void TestVoiceWriter::WriteSilence(int ms)
{
    m_samples.resize(m_samples.size() + std::size_t(qMax(0, ms)) * EngineSampleRate / 1000, 0);
    if (qsizetype(m_samples.size()) >= FlushSamples)
        Flush();
}

void TestVoiceWriter::WriteTone(qsizetype count, int volume)
{
    const double amplitude = FullVolumeAmplitude * volume / 100.0;
    for (qsizetype i = 0; i < count; ++i) {
        const double phase = 2 * std::numbers::pi * ToneHz * double(i) / EngineSampleRate;
        m_samples.push_back(qint16(std::lround(amplitude * std::sin(phase))));
    }
    if (qsizetype(m_samples.size()) >= FlushSamples)
        Flush();
}

void TestVoiceWriter::AddEvents(const QList<SpeechEvent>& events)
{
    const qint64 at = m_written + qint64(m_samples.size());
    for (SpeechEvent event : events) {
        event.streamNumber = m_streamNumber;
        event.sample = at;
        event.streamPosition = at * 2;
        event.immediate = m_file != nullptr;
        m_events.append(event);
    }
}

void TestVoiceWriter::Flush()
{
    const qsizetype count = qsizetype(m_samples.size());
    QList<SpeechEvent> levels = m_meter.Measure(m_samples.data(), count);
    for (SpeechEvent& level : levels)
        level.immediate = m_file != nullptr;
    QList<SpeechEvent> events = m_events;
    events += levels;
    std::stable_sort(events.begin(), events.end(),
                     [](const SpeechEvent& a, const SpeechEvent& b) { return a.sample < b.sample; });
    if (m_file) {
        m_file->WriteSamples(m_samples.data(), count, EngineSampleRate);
        m_queue->AppendEvents(m_generation, events);
    } else {
        m_queue->AppendAudio(m_generation, m_samples.data(), count, events);
    }
    m_written += count;
    m_samples.clear();
    m_events.clear();
}

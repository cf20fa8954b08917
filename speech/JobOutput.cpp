#include "speech/JobOutput.h"

#include "speech/SpeechQueue.h"
#include "speech/filestream/SpFileStream.h"

#include <algorithm>

namespace {

// How far synthesis may run ahead of the listener on the sound device.
constexpr qint64 MaxAheadSamples = EngineSampleRate * 3;
constexpr qsizetype SilenceChunk = EngineSampleRate / 10;
// On the sound device, the end of a stream is told this long before its closing pause has
// been heard (never before its last sound), so that the next fragment is handed out while
// the pause is still playing and the join sounds as long as the pause itself.
constexpr qint64 EndStreamLeadSamples = EngineSampleRate * 90 / 1000;
// Samples below this magnitude count as silence when the end of the sound is looked for.
constexpr int SilenceLevel = 300;

} // namespace

bool EndsWithPausingMark(const QString& text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c.isSpace())
            continue;
        return QStringView(u".!?\u2026,:;-\u2013\u2014").contains(c);
    }
    return false;
}

JobOutput::JobOutput(const SpeechJob& job) : m_job(job), m_filter(job.spoken), m_meter(job.streamNumber) {}

bool JobOutput::Begin()
{
    return m_job.queue->BeginStream(m_job.generation);
}

bool JobOutput::HandOn(const qint16* samples, qsizetype count, QList<SpeechEvent> events)
{
    // Levels are only shown for what is heard; a file's audio is not metered.
    if (!m_job.file)
        events += m_meter.Measure(samples, count);
    for (qsizetype i = count - 1; i >= 0; --i) {
        if (qAbs(int(samples[i])) >= SilenceLevel) {
            m_lastSound = m_written + i + 1;
            break;
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const SpeechEvent& a, const SpeechEvent& b) { return a.sample < b.sample; });
    m_written += count;
    if (m_job.file) {
        if (count > 0)
            m_job.file->WriteSamples(samples, count, EngineSampleRate);
        // Most buffers carry no word: then nobody needs to hear from this thread.
        if (events.isEmpty())
            return !IsPurged();
        for (SpeechEvent& event : events)
            event.immediate = true;
        return m_job.queue->AppendEvents(m_job.generation, events);
    }
    if (!m_job.queue->WaitForRoom(m_job.generation, MaxAheadSamples))
        return false;
    return m_job.queue->AppendAudio(m_job.generation, samples, count, events);
}

bool JobOutput::HandOnSilence(int ms)
{
    const std::vector<qint16> zeros(std::size_t(SilenceChunk), 0);
    qint64 left = qint64(qMax(0, ms)) * EngineSampleRate / 1000;
    while (left > 0) {
        const qsizetype n = qsizetype(qMin<qint64>(left, SilenceChunk));
        if (!HandOn(zeros.data(), n, {}))
            return false;
        left -= n;
    }
    return true;
}

QList<SpeechEvent> JobOutput::WordEvents(int spokenIndex, qint64 sample)
{
    QList<SpeechEvent> events = m_filter.EventsForWord(spokenIndex);
    for (SpeechEvent& e : events) {
        e.streamNumber = m_job.streamNumber;
        e.sample = sample;
        e.streamPosition = sample * 2;
    }
    return events;
}

bool JobOutput::IsPurged() const
{
    return m_job.queue->Generation() != m_job.generation;
}

void JobOutput::Fail(const QString& message)
{
    m_job.queue->SetFailure(message);
}

void JobOutput::Finish()
{
    if (m_job.file && !IsPurged())
        m_job.file->Flush();
    SpeechEvent end;
    end.kind = SpeechEvent::Kind::EndStream;
    end.streamNumber = m_job.streamNumber;
    end.streamPosition = m_written * 2;
    end.immediate = m_job.file != nullptr;
    const qint64 lead = qMin(EndStreamLeadSamples, m_written - m_lastSound);
    m_job.queue->FinishStream(m_job.generation, end, end.immediate ? 0 : qMax<qint64>(0, lead));
}

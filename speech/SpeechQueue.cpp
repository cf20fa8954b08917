#include "speech/SpeechQueue.h"

#include <chrono>
#include <utility>

using Lock = std::unique_lock<std::mutex>;

int SpeechQueue::BeginSpeak()
{
    Lock lock(m_mutex);
    ++m_outstanding;
    return m_generation;
}

int SpeechQueue::Generation() const
{
    Lock lock(m_mutex);
    return m_generation;
}

void SpeechQueue::Purge()
{
    {
        Lock lock(m_mutex);
        ++m_generation;
        m_outstanding = 0;
        m_events.clear();
        m_audio.clear();
        m_audioRead = 0;
        m_played = m_appended;
        m_lastEventSample = m_appended;
        m_doneAt = m_appended;
    }
    m_changed.notify_all();
}

bool SpeechQueue::IsDone() const
{
    Lock lock(m_mutex);
    return m_outstanding == 0 && m_events.empty() && m_played >= m_doneAt;
}

qint64 SpeechQueue::Appended() const
{
    Lock lock(m_mutex);
    return m_appended;
}

qint64 SpeechQueue::Played() const
{
    Lock lock(m_mutex);
    return m_played;
}

void SpeechQueue::SetPlayed(qint64 sample)
{
    {
        Lock lock(m_mutex);
        m_played = qBound(m_played, sample, m_appended);
    }
    m_changed.notify_all();
}

QByteArray SpeechQueue::TakeAudio(qsizetype maxBytes)
{
    Lock lock(m_mutex);
    const qsizetype n = qMin(maxBytes, m_audio.size() - m_audioRead) & ~qsizetype(1);
    QByteArray out = m_audio.mid(m_audioRead, n);
    m_audioRead += n;
    if (m_audioRead > 1 << 20 && m_audioRead * 2 > m_audio.size()) {
        m_audio.remove(0, m_audioRead);
        m_audioRead = 0;
    }
    return out;
}

void SpeechQueue::DropAudio()
{
    Lock lock(m_mutex);
    m_keepsAudio = false;
    m_audio.clear();
    m_audioRead = 0;
}

QList<SpeechEvent> SpeechQueue::TakeDueEvents()
{
    Lock lock(m_mutex);
    QList<SpeechEvent> due;
    while (!m_events.empty() && (m_events.front().immediate || m_events.front().sample <= m_played)) {
        due.append(m_events.front());
        m_events.pop_front();
    }
    return due;
}

QString SpeechQueue::TakeFailure()
{
    Lock lock(m_mutex);
    return std::exchange(m_failure, QString());
}

void SpeechQueue::SetFailure(const QString& message)
{
    Lock lock(m_mutex);
    if (m_failure.isEmpty())
        m_failure = message;
}

void SpeechQueue::WaitForChange(int ms) const
{
    Lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms));
}

bool SpeechQueue::BeginStream(int generation)
{
    Lock lock(m_mutex);
    m_streamBase = m_appended;
    m_inStream = generation == m_generation;
    return m_inStream;
}

bool SpeechQueue::AppendAudio(int generation, const qint16* samples, qsizetype count,
                              const QList<SpeechEvent>& events)
{
    {
        Lock lock(m_mutex);
        if (generation != m_generation)
            return false;
        for (SpeechEvent event : events) {
            event.sample += m_streamBase;
            QueueEvent(event);
        }
        if (m_keepsAudio)
            m_audio.append(reinterpret_cast<const char*>(samples), count * qsizetype(sizeof(qint16)));
        m_appended += count;
    }
    m_changed.notify_all();
    return true;
}

bool SpeechQueue::AppendEvents(int generation, const QList<SpeechEvent>& events)
{
    {
        Lock lock(m_mutex);
        if (generation != m_generation)
            return false;
        for (SpeechEvent event : events) {
            event.sample += m_streamBase;
            QueueEvent(event);
        }
    }
    m_changed.notify_all();
    return true;
}

void SpeechQueue::FinishStream(int generation, SpeechEvent endStream, qint64 leadSamples)
{
    {
        Lock lock(m_mutex);
        m_inStream = false;
        if (generation != m_generation) {
            m_changed.notify_all();
            return;
        }
        endStream.sample = m_appended - qMax<qint64>(0, leadSamples);
        QueueEvent(endStream);
        m_doneAt = endStream.immediate ? m_appended : qMin(m_events.back().sample, m_appended);
        m_outstanding = qMax(0, m_outstanding - 1);
    }
    m_changed.notify_all();
}

void SpeechQueue::WaitUntilNoStream(int ms) const
{
    Lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !m_inStream; });
}

bool SpeechQueue::WaitForRoom(int generation, qint64 maxAheadSamples) const
{
    Lock lock(m_mutex);
    m_changed.wait(lock,
                   [&] { return generation != m_generation || m_appended - m_played <= maxAheadSamples; });
    return generation == m_generation;
}

// Events are released in the order they were queued, so none may wait for an earlier
// sample than the one before it. Immediate events (of a file stream) count samples of
// their file, not of the playback clock, and take no part in that order.
void SpeechQueue::QueueEvent(SpeechEvent event)
{
    if (!event.immediate) {
        event.sample = qMax(event.sample, m_lastEventSample);
        m_lastEventSample = event.sample;
    }
    m_events.push_back(event);
}

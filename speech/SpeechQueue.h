#pragma once

#include "speech/SpeechEvent.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>

// The hand-over between the engine thread, which appends a voice's audio and events, and
// the GUI thread, which plays the audio and releases the events. Thread-safe. A purge
// starts a new generation: whatever an older generation still appends is discarded.
class SpeechQueue
{
public:
    explicit SpeechQueue(bool keepsAudio) : m_keepsAudio(keepsAudio) {}

    // GUI side.
    int BeginSpeak(); // one more Speak outstanding; its generation
    int Generation() const;
    void Purge(); // drops audio, events and outstanding Speaks
    // Nothing outstanding, nothing queued, everything heard up to the last end of stream
    // (what follows it is the closing pause, still playing).
    bool IsDone() const;
    qint64 Appended() const;
    qint64 Played() const;
    void SetPlayed(qint64 sample); // never beyond what was appended
    QByteArray TakeAudio(qsizetype maxBytes);
    void DropAudio(); // from now on audio is only counted, not kept
    // The events due at the current played position (or immediate), in order.
    QList<SpeechEvent> TakeDueEvents();
    // The message of the first failure the engine met since the last call, or empty.
    QString TakeFailure();
    // Waits until something is appended or ms pass.
    void WaitForChange(int ms) const;

    // Engine side; each returns false when the generation is no longer current. A stream
    // that began (true) is ended by finishStream, whatever its generation by then.
    bool BeginStream(int generation);
    // Event samples count from the start of the stream.
    bool AppendAudio(int generation, const qint16* samples, qsizetype count,
                     const QList<SpeechEvent>& events);
    bool AppendEvents(int generation, const QList<SpeechEvent>& events);
    // The end of stream is due leadSamples before the end of the stream's audio.
    void FinishStream(int generation, SpeechEvent endStream, qint64 leadSamples = 0);
    // Keeps the first failure for the GUI thread to report.
    void SetFailure(const QString& message);
    // Waits at most ms until the engine is not inside a stream of this queue.
    void WaitUntilNoStream(int ms) const;
    // Blocks while more than maxAheadSamples wait to be heard; false once purged.
    bool WaitForRoom(int generation, qint64 maxAheadSamples) const;

private:
    void QueueEvent(SpeechEvent event);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_keepsAudio;
    int m_generation = 0;
    int m_outstanding = 0;
    qint64 m_appended = 0;
    qint64 m_played = 0;
    qint64 m_streamBase = 0;
    bool m_inStream = false;
    qint64 m_lastEventSample = 0;
    qint64 m_doneAt = 0; // sample of the last end of stream
    QByteArray m_audio;
    qsizetype m_audioRead = 0;
    std::deque<SpeechEvent> m_events;
    QString m_failure;
};

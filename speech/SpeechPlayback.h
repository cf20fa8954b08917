#pragma once

#include "speech/SpeechEvent.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class SoundDeviceOutput;
class SpeechQueue;

// The GUI-thread side of one voice: plays the audio of its queue on the sound device (or,
// without one, on a silent clock running in real time) and emits each event when the
// audio before it has been heard. Pause holds audio and events; purge drops both.
class SpeechPlayback : public QObject
{
    Q_OBJECT

public:
    enum class Output
    {
        SoundDevice,
        SilentClock
    };

    explicit SpeechPlayback(Output output, QObject* parent = nullptr);
    ~SpeechPlayback() override;

    // Shared with the engine thread, which appends to it.
    const std::shared_ptr<SpeechQueue>& Queue() const { return m_queue; }

    int BeginSpeak(); // the generation the new Speak belongs to
    void Purge();
    void Pause();
    void Resume();
    bool IsPaused() const { return m_paused; }
    // Plays on and emits the events that are due.
    void Pump();
    bool IsDone() const;
    // Samples heard so far on the playback clock.
    qint64 PlayedSamples() const;
    // Samples handed to the sound device so far (playback clock), for latency figures.
    qint64 SamplesHandedToDevice() const;

signals:
    void EventDue(const SpeechEvent& event);
    void DeviceMessage(const QString& text);

private:
    void AdvanceClock();
    void FeedDevice();
    void PushTail(qint64 heard);
    void AdvanceSilentClock();
    void FallBackToSilence();

    std::shared_ptr<SpeechQueue> m_queue;
    SoundDeviceOutput* m_device = nullptr;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_clockNs = 0;        // silent clock: time of the last advance
    qint64 m_deviceBase = 0;     // playback sample at which the device was started
    qint64 m_lastHeard = -1;     // device: playback sample last seen heard
    qint64 m_lastProgressMs = 0; // device: when it last moved on
    qint64 m_tailPadding = 0;    // device: silence written after the current tail
    bool m_paused = false;
    bool m_pumping = false;
};

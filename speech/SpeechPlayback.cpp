#include "speech/SpeechPlayback.h"

#include "speech/SoundDeviceOutput.h"
#include "speech/SpeechQueue.h"

namespace {

constexpr int PumpIntervalMs = 10;
// A tail that has been handed over whole but is not heard for this long is being held
// back by the sound server (a prebuffer or a minimum request it waits to fill): silence
// after it pushes it out. Past the give-up time it counts as heard, so that the end of a
// fragment always comes.
constexpr qint64 TailStallMs = 60;
constexpr qint64 TailGiveUpMs = 1500;
constexpr qint64 MaxTailPaddingSamples = EngineSampleRate / 2;

} // namespace

SpeechPlayback::SpeechPlayback(Output output, QObject* parent)
    : QObject(parent), m_queue(std::make_shared<SpeechQueue>(output == Output::SoundDevice))
{
    if (output == Output::SoundDevice)
        m_device = new SoundDeviceOutput(this);
    m_timer.setInterval(PumpIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SpeechPlayback::Pump);
    m_clock.start();
}

SpeechPlayback::~SpeechPlayback()
{
    // Whatever the engine still does for this voice ends at its next step.
    m_queue->Purge();
}

int SpeechPlayback::BeginSpeak()
{
    if (m_queue->IsDone())
        m_clockNs = m_clock.nsecsElapsed(); // the silent clock starts with this Speak
    m_timer.start();
    return m_queue->BeginSpeak();
}

void SpeechPlayback::Purge()
{
    m_queue->Purge();
    if (m_device)
        m_device->Stop();
}

void SpeechPlayback::Pause()
{
    if (m_paused)
        return;
    AdvanceClock();
    m_paused = true;
    if (m_device)
        m_device->Suspend();
}

void SpeechPlayback::Resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    m_clockNs = m_clock.nsecsElapsed();
    m_lastProgressMs = m_clock.elapsed();
    if (m_device)
        m_device->Resume();
    m_timer.start();
}

void SpeechPlayback::Pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    AdvanceClock();
    if (!m_paused) {
        const int generation = m_queue->Generation();
        const QList<SpeechEvent> due = m_queue->TakeDueEvents();
        for (const SpeechEvent& event : due) {
            // A handler may purge or pause; what it dropped must not be told.
            if (m_queue->Generation() != generation || m_paused)
                break;
            emit EventDue(event);
        }
    }
    // Pumping goes on through the closing pause, so that the device comes to rest after it.
    if ((m_queue->IsDone() && m_queue->Played() >= m_queue->Appended()) || m_paused)
        m_timer.stop();
    m_pumping = false;
}

bool SpeechPlayback::IsDone() const
{
    return m_queue->IsDone();
}

qint64 SpeechPlayback::PlayedSamples() const
{
    return m_queue->Played();
}

qint64 SpeechPlayback::SamplesHandedToDevice() const
{
    return m_device && m_device->IsStarted() ? m_deviceBase + m_device->WrittenSamples() : 0;
}

void SpeechPlayback::AdvanceClock()
{
    if (m_paused)
        return;
    if (m_device)
        FeedDevice();
    else
        AdvanceSilentClock();
}

void SpeechPlayback::FeedDevice()
{
    const qint64 played = m_queue->Played();
    const qint64 appended = m_queue->Appended();
    if (!m_device->IsStarted()) {
        if (appended <= played)
            return;
        if (!m_device->Start()) {
            FallBackToSilence();
            return;
        }
        m_deviceBase = played;
        m_lastHeard = -1;
    }
    m_device->Write(m_queue->TakeAudio(m_device->BytesFree()));
    if (m_device->HasFailed()) {
        FallBackToSilence();
        return;
    }
    const qint64 heard = m_deviceBase + m_device->HeardSamples();
    m_queue->SetPlayed(heard);
    // Everything written was heard and nothing waits: let the device rest.
    if (m_queue->Played() >= m_queue->Appended()) {
        m_device->Stop();
        return;
    }
    PushTail(heard);
}

void SpeechPlayback::PushTail(qint64 heard)
{
    const qint64 now = m_clock.elapsed();
    const bool wholeTailWritten = m_deviceBase + m_device->WrittenSamples() >= m_queue->Appended();
    if (heard != m_lastHeard || !wholeTailWritten) {
        m_lastHeard = heard;
        m_lastProgressMs = now;
        m_tailPadding = 0;
        return;
    }
    const qint64 stalled = now - m_lastProgressMs;
    if (stalled >= TailGiveUpMs) {
        m_queue->SetPlayed(m_queue->Appended());
        m_device->Stop();
        return;
    }
    if (stalled >= TailStallMs && m_tailPadding < MaxTailPaddingSamples)
        m_tailPadding += m_device->WriteSilence(MaxTailPaddingSamples - m_tailPadding);
}

void SpeechPlayback::AdvanceSilentClock()
{
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 played = m_queue->Played();
    const qint64 appended = m_queue->Appended();
    if (played >= appended) {
        m_clockNs = now; // a starved clock banks no time
        return;
    }
    const qint64 samples = (now - m_clockNs) * EngineSampleRate / 1000000000;
    if (samples <= 0)
        return;
    m_clockNs += samples * 1000000000 / EngineSampleRate;
    m_queue->SetPlayed(played + samples);
}

void SpeechPlayback::FallBackToSilence()
{
    const qint64 heard = m_device->IsStarted() ? m_deviceBase + m_device->WrittenSamples() : 0;
    delete m_device;
    m_device = nullptr;
    m_queue->DropAudio();
    if (heard > 0)
        m_queue->SetPlayed(heard);
    m_clockNs = m_clock.nsecsElapsed();
    emit DeviceMessage(QStringLiteral("Звуковое устройство не найдено: речь идёт без звука."));
}

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
    connect(&m_timer, &QTimer::timeout, this, &SpeechPlayback::pump);
    m_clock.start();
}

SpeechPlayback::~SpeechPlayback()
{
    // Whatever the engine still does for this voice ends at its next step.
    m_queue->purge();
}

int SpeechPlayback::beginSpeak()
{
    if (m_queue->isDone())
        m_clockNs = m_clock.nsecsElapsed(); // the silent clock starts with this Speak
    m_timer.start();
    return m_queue->beginSpeak();
}

void SpeechPlayback::purge()
{
    m_queue->purge();
    if (m_device)
        m_device->stop();
}

void SpeechPlayback::pause()
{
    if (m_paused)
        return;
    advanceClock();
    m_paused = true;
    if (m_device)
        m_device->suspend();
}

void SpeechPlayback::resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    m_clockNs = m_clock.nsecsElapsed();
    m_lastProgressMs = m_clock.elapsed();
    if (m_device)
        m_device->resume();
    m_timer.start();
}

void SpeechPlayback::pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    advanceClock();
    if (!m_paused) {
        const int generation = m_queue->generation();
        const QList<SpeechEvent> due = m_queue->takeDueEvents();
        for (const SpeechEvent& event : due) {
            // A handler may purge or pause; what it dropped must not be told.
            if (m_queue->generation() != generation || m_paused)
                break;
            emit eventDue(event);
        }
    }
    // Pumping goes on through the closing pause, so that the device comes to rest after it.
    if ((m_queue->isDone() && m_queue->played() >= m_queue->appended()) || m_paused)
        m_timer.stop();
    m_pumping = false;
}

bool SpeechPlayback::isDone() const
{
    return m_queue->isDone();
}

qint64 SpeechPlayback::playedSamples() const
{
    return m_queue->played();
}

qint64 SpeechPlayback::samplesHandedToDevice() const
{
    return m_device && m_device->isStarted() ? m_deviceBase + m_device->writtenSamples() : 0;
}

void SpeechPlayback::advanceClock()
{
    if (m_paused)
        return;
    if (m_device)
        feedDevice();
    else
        advanceSilentClock();
}

void SpeechPlayback::feedDevice()
{
    const qint64 played = m_queue->played();
    const qint64 appended = m_queue->appended();
    if (!m_device->isStarted()) {
        if (appended <= played)
            return;
        if (!m_device->start()) {
            fallBackToSilence();
            return;
        }
        m_deviceBase = played;
        m_lastHeard = -1;
    }
    m_device->write(m_queue->takeAudio(m_device->bytesFree()));
    if (m_device->hasFailed()) {
        fallBackToSilence();
        return;
    }
    const qint64 heard = m_deviceBase + m_device->heardSamples();
    m_queue->setPlayed(heard);
    // Everything written was heard and nothing waits: let the device rest.
    if (m_queue->played() >= m_queue->appended()) {
        m_device->stop();
        return;
    }
    pushTail(heard);
}

void SpeechPlayback::pushTail(qint64 heard)
{
    const qint64 now = m_clock.elapsed();
    const bool wholeTailWritten = m_deviceBase + m_device->writtenSamples() >= m_queue->appended();
    if (heard != m_lastHeard || !wholeTailWritten) {
        m_lastHeard = heard;
        m_lastProgressMs = now;
        m_tailPadding = 0;
        return;
    }
    const qint64 stalled = now - m_lastProgressMs;
    if (stalled >= TailGiveUpMs) {
        m_queue->setPlayed(m_queue->appended());
        m_device->stop();
        return;
    }
    if (stalled >= TailStallMs && m_tailPadding < MaxTailPaddingSamples)
        m_tailPadding += m_device->writeSilence(MaxTailPaddingSamples - m_tailPadding);
}

void SpeechPlayback::advanceSilentClock()
{
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 played = m_queue->played();
    const qint64 appended = m_queue->appended();
    if (played >= appended) {
        m_clockNs = now; // a starved clock banks no time
        return;
    }
    const qint64 samples = (now - m_clockNs) * EngineSampleRate / 1000000000;
    if (samples <= 0)
        return;
    m_clockNs += samples * 1000000000 / EngineSampleRate;
    m_queue->setPlayed(played + samples);
}

void SpeechPlayback::fallBackToSilence()
{
    const qint64 heard = m_device->isStarted() ? m_deviceBase + m_device->writtenSamples() : 0;
    delete m_device;
    m_device = nullptr;
    m_queue->dropAudio();
    if (heard > 0)
        m_queue->setPlayed(heard);
    m_clockNs = m_clock.nsecsElapsed();
    emit deviceMessage(QStringLiteral("Звуковое устройство не найдено: речь идёт без звука."));
}

#include "speech/SoundDeviceOutput.h"

#include "speech/SpeechEvent.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace {

// A fifth of a second in the device's buffer: enough against underruns, short enough
// that a purge or a pause is heard at once.
constexpr qsizetype DeviceBufferBytes = EngineSampleRate * 2 / 5;

} // namespace

SoundDeviceOutput::SoundDeviceOutput(QObject* parent) : QObject(parent) {}

SoundDeviceOutput::~SoundDeviceOutput()
{
    Stop();
}

bool SoundDeviceOutput::Start()
{
    if (m_io)
        return true;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(EngineSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!m_sink)
        m_sink = new QAudioSink(device, format, this);
    // Asked again at every start: the sink otherwise asks for what the server granted last
    // time, and with latency adjustment that shrinks from start to start until the device
    // takes a few samples at a time and speech crawls.
    m_sink->setBufferSize(DeviceBufferBytes);
    m_written = 0;
    m_padding.clear();
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError) {
        Stop();
        return false;
    }
    return true;
}

void SoundDeviceOutput::Stop()
{
    if (m_sink && m_io)
        m_sink->stop();
    m_io = nullptr;
    m_written = 0;
    m_padding.clear();
}

bool SoundDeviceOutput::HasFailed() const
{
    return m_io && m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError;
}

void SoundDeviceOutput::Suspend()
{
    if (m_io)
        m_sink->suspend();
}

void SoundDeviceOutput::Resume()
{
    if (m_io)
        m_sink->resume();
}

qsizetype SoundDeviceOutput::BytesFree() const
{
    return m_io ? m_sink->bytesFree() : 0;
}

qsizetype SoundDeviceOutput::Write(const QByteArray& bytes)
{
    if (!m_io || bytes.isEmpty())
        return 0;
    const qint64 n = qMax<qint64>(0, m_io->write(bytes));
    m_written += n / 2;
    return n;
}

qint64 SoundDeviceOutput::WriteSilence(qint64 samples)
{
    const qint64 n = qMin(samples, qint64(BytesFree() / 2));
    if (!m_io || n <= 0)
        return 0;
    const qint64 taken = qMax<qint64>(0, m_io->write(QByteArray(qsizetype(n * 2), '\0'))) / 2;
    if (taken == 0)
        return 0;
    if (!m_padding.isEmpty() && m_padding.last().before == m_written)
        m_padding.last().samples += taken;
    else
        m_padding.append({m_written, taken});
    return taken;
}

qint64 SoundDeviceOutput::HeardSamples() const
{
    if (!m_io)
        return 0;
    if (m_sink->state() == QAudio::IdleState)
        return m_written;
    // The device counts silence as played too: take away what lies before the position.
    // Rounded to the nearest sample: the device counts whole samples in microseconds, and
    // rounding down would leave the last sample of every stream unheard for ever.
    qint64 heard = (m_sink->processedUSecs() * EngineSampleRate + 500000) / 1000000;
    qint64 silence = 0;
    for (const Padding& padding : m_padding) {
        if (heard - silence <= padding.before)
            break;
        silence += qMin(padding.samples, heard - silence - padding.before);
    }
    return qBound<qint64>(0, heard - silence, m_written);
}

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
    stop();
}

bool SoundDeviceOutput::start()
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
        stop();
        return false;
    }
    return true;
}

void SoundDeviceOutput::stop()
{
    if (m_sink && m_io)
        m_sink->stop();
    m_io = nullptr;
    m_written = 0;
    m_padding.clear();
}

bool SoundDeviceOutput::hasFailed() const
{
    return m_io && m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError;
}

void SoundDeviceOutput::suspend()
{
    if (m_io)
        m_sink->suspend();
}

void SoundDeviceOutput::resume()
{
    if (m_io)
        m_sink->resume();
}

qsizetype SoundDeviceOutput::bytesFree() const
{
    return m_io ? m_sink->bytesFree() : 0;
}

qsizetype SoundDeviceOutput::write(const QByteArray& bytes)
{
    if (!m_io || bytes.isEmpty())
        return 0;
    const qint64 n = qMax<qint64>(0, m_io->write(bytes));
    m_written += n / 2;
    return n;
}

qint64 SoundDeviceOutput::writeSilence(qint64 samples)
{
    const qint64 n = qMin(samples, qint64(bytesFree() / 2));
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

qint64 SoundDeviceOutput::heardSamples() const
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

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
    if (!m_sink) {
        m_sink = new QAudioSink(device, format, this);
        m_sink->setBufferSize(DeviceBufferBytes);
    }
    m_written = 0;
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

qint64 SoundDeviceOutput::heardSamples() const
{
    if (!m_io)
        return 0;
    if (m_sink->state() == QAudio::IdleState)
        return m_written;
    const qint64 heard = m_sink->processedUSecs() * EngineSampleRate / 1000000;
    return qBound<qint64>(0, heard, m_written);
}

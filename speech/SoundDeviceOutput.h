#pragma once

#include <QObject>

class QAudioSink;
class QIODevice;

// The default sound device, fed by push: 16-bit mono samples at the engine's rate. Reports
// how many of the samples written have been heard.
class SoundDeviceOutput : public QObject
{
    Q_OBJECT

public:
    explicit SoundDeviceOutput(QObject* parent = nullptr);
    ~SoundDeviceOutput() override;

    // False when there is no device or it refuses to start.
    bool start();
    void stop();
    bool isStarted() const { return m_io != nullptr; }
    bool hasFailed() const;
    void suspend();
    void resume();
    qsizetype bytesFree() const;
    // Writes what the device takes; returns the bytes taken.
    qsizetype write(const QByteArray& bytes);
    // Samples heard since start().
    qint64 heardSamples() const;
    // Samples written since start().
    qint64 writtenSamples() const { return m_written; }

private:
    QAudioSink* m_sink = nullptr;
    QIODevice* m_io = nullptr;
    qint64 m_written = 0;
};

#pragma once

#include <QList>
#include <QObject>

class QAudioSink;
class QIODevice;

// The default sound device, fed by push: 16-bit mono samples at the engine's rate. Reports
// how many of the samples written have been heard. Silence written to push a held-back
// tail through the server counts as no sample: heard and written count the real audio.
class SoundDeviceOutput : public QObject
{
    Q_OBJECT

public:
    explicit SoundDeviceOutput(QObject* parent = nullptr);
    ~SoundDeviceOutput() override;

    // False when there is no device or it refuses to start.
    bool Start();
    void Stop();
    bool IsStarted() const { return m_io != nullptr; }
    bool HasFailed() const;
    void Suspend();
    void Resume();
    qsizetype BytesFree() const;
    // Writes what the device takes; returns the bytes taken.
    qsizetype Write(const QByteArray& bytes);
    // Writes up to samples of silence after the audio written so far; returns the samples
    // taken.
    qint64 WriteSilence(qint64 samples);
    // Samples heard since start().
    qint64 HeardSamples() const;
    // Samples written since start().
    qint64 WrittenSamples() const { return m_written; }

private:
    // One stretch of silence in the device's stream, before the real sample `before`.
    struct Padding
    {
        qint64 before = 0;
        qint64 samples = 0;
    };

    QAudioSink* m_sink = nullptr;
    QIODevice* m_io = nullptr;
    qint64 m_written = 0;
    QList<Padding> m_padding;
};

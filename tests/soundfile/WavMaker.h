#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cmath>

// Test WAV files: a canonical 44-byte header whose RIFF size and channel count can lie,
// followed by 16-bit samples of a 440 Hz tone.
namespace WavMaker {

inline QByteArray tone(int rate, int channels, int frames)
{
    QByteArray data(frames * channels * 2, '\0');
    auto* samples = reinterpret_cast<uchar*>(data.data());
    for (int i = 0; i < frames; ++i) {
        const auto value = qint16(8000 * std::sin(2 * M_PI * 440.0 * i / rate));
        for (int c = 0; c < channels; ++c) {
            qToLittleEndian(value, samples + 2 * (i * channels + c));
        }
    }
    return data;
}

// A signal whose bitrate needs change: a quarter of silence, then a rising tone with
// noise that grows and fades, so that VBR and ABR frames differ widely.
inline QByteArray varied(int rate, int channels, int frames)
{
    QByteArray data(frames * channels * 2, '\0');
    auto* samples = reinterpret_cast<uchar*>(data.data());
    quint32 noise = 12345;
    for (int i = frames / 4; i < frames; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double t = double(i) / rate;
        const double swell = 0.5 + 0.5 * std::sin(2 * M_PI * t / 7);
        const double value = 6000 * std::sin(2 * M_PI * (200 + 20 * t) * t) +
                             swell * 4000 * (int(noise >> 16) % 2001 - 1000) / 1000.0;
        for (int c = 0; c < channels; ++c)
            qToLittleEndian(qint16(c == 0 ? value : -value), samples + 2 * (i * channels + c));
    }
    return data;
}

inline QByteArray header(qint32 riffSize, int channels, int rate, qint32 dataSize)
{
    QByteArray h(44, '\0');
    auto* p = reinterpret_cast<uchar*>(h.data());
    memcpy(p, "RIFF", 4);
    qToLittleEndian(riffSize, p + 4);
    memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, p + 16);
    qToLittleEndian<quint16>(1, p + 20);
    qToLittleEndian<quint16>(quint16(channels), p + 22);
    qToLittleEndian<quint32>(quint32(rate), p + 24);
    qToLittleEndian<quint32>(quint32(rate * channels * 2), p + 28);
    qToLittleEndian<quint16>(quint16(channels * 2), p + 32);
    qToLittleEndian<quint16>(16, p + 34);
    memcpy(p + 36, "data", 4);
    qToLittleEndian(dataSize, p + 40);
    return h;
}

inline bool write(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A well-formed tone file: RIFF size = file length - 8.
inline bool writeTone(const QString& name, int rate, int channels, int frames)
{
    const QByteArray data = tone(rate, channels, frames);
    return write(name, header(qint32(data.size() + 36), channels, rate, qint32(data.size())) + data);
}

inline bool writeVaried(const QString& name, int rate, int channels, int frames)
{
    const QByteArray data = varied(rate, channels, frames);
    return write(name, header(qint32(data.size() + 36), channels, rate, qint32(data.size())) + data);
}

inline QByteArray read(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace WavMaker

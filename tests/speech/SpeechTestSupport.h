#pragma once

#include "speech/SpeechVoice.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>
#include <cmath>

// Every event of a voice in the order it arrived, one line each: "W pos len", "S pos len",
// "L level", "E".
class EventLog : public QObject
{
public:
    explicit EventLog(SpeechVoice& voice)
    {
        connect(&voice, &SpeechVoice::Word, this, [this](int, qint64, int pos, int len) {
            lines << QStringLiteral("W %1 %2").arg(pos).arg(len);
        });
        connect(&voice, &SpeechVoice::Sentence, this, [this](int, qint64, int pos, int len) {
            lines << QStringLiteral("S %1 %2").arg(pos).arg(len);
        });
        connect(&voice, &SpeechVoice::AudioLevel, this,
                [this](int, qint64, int level) { lines << QStringLiteral("L %1").arg(level); });
        connect(&voice, &SpeechVoice::EndStream, this, [this](int, qint64) { lines << QStringLiteral("E"); });
    }

    // The words (or sentences) as they stand in text: kind 'W' or 'S'.
    QStringList spans(QChar kind, const QString& text) const
    {
        QStringList out;
        for (const QString& line : lines) {
            const QStringList parts = line.split(u' ');
            if (parts.at(0) == kind)
                out << text.mid(parts.at(1).toInt(), parts.at(2).toInt());
        }
        return out;
    }
    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& line : lines)
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }

    QStringList lines;
};

// The samples of a 16-bit mono WAV file and its header fields.
struct WavFile
{
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
    quint32 riffSize = 0;
    quint32 dataSize = 0;
    qint64 fileSize = 0;
    QByteArray data;

    static WavFile read(const QString& path)
    {
        WavFile wav;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return wav;
        const QByteArray all = file.readAll();
        wav.fileSize = all.size();
        if (all.size() < 44)
            return wav;
        const auto* p = reinterpret_cast<const uchar*>(all.constData());
        wav.riffSize = qFromLittleEndian<quint32>(p + 4);
        wav.channels = qFromLittleEndian<quint16>(p + 22);
        wav.sampleRate = int(qFromLittleEndian<quint32>(p + 24));
        wav.bits = qFromLittleEndian<quint16>(p + 34);
        wav.dataSize = qFromLittleEndian<quint32>(p + 40);
        wav.data = all.mid(44);
        return wav;
    }
    double seconds() const
    {
        const int frame = channels * bits / 8;
        return frame > 0 && sampleRate > 0 ? double(data.size()) / frame / sampleRate : 0;
    }
    // RMS of 16-bit samples, full scale 32768.
    double rms() const
    {
        const auto* s = reinterpret_cast<const qint16*>(data.constData());
        const qsizetype n = data.size() / 2;
        double sum = 0;
        for (qsizetype i = 0; i < n; ++i)
            sum += double(s[i]) * s[i];
        return n ? std::sqrt(sum / double(n)) : 0;
    }
};

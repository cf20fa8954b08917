#pragma once

#include <QMap>
#include <QProcess>
#include <QString>

// What ffprobe finds in an MP3 file: sample rate, channels, bit rate and the number of
// frames it reads (the packet count).
struct Mp3Probe
{
    int sampleRate = 0;
    int channels = 0;
    qint64 bitRate = 0;
    qint64 frames = 0;
    bool ok = false;

    static Mp3Probe of(const QString& fileName)
    {
        QProcess ffprobe;
        ffprobe.start(QStringLiteral("ffprobe"),
                      {"-v", "error", "-count_packets", "-select_streams", "a:0", "-show_entries",
                       "stream=codec_name,sample_rate,channels,bit_rate,nb_read_packets", "-of",
                       "default=noprint_wrappers=1", fileName});
        Mp3Probe probe;
        if (!ffprobe.waitForFinished(20000) || ffprobe.exitCode() != 0) {
            return probe;
        }
        QMap<QString, QString> values;
        for (const QString& line : QString::fromUtf8(ffprobe.readAllStandardOutput()).split('\n')) {
            values.insert(line.section('=', 0, 0), line.section('=', 1));
        }
        probe.ok = values.value("codec_name") == "mp3";
        probe.sampleRate = values.value("sample_rate").toInt();
        probe.channels = values.value("channels").toInt();
        probe.bitRate = values.value("bit_rate").toLongLong();
        probe.frames = values.value("nb_read_packets").toLongLong();
        return probe;
    }
};

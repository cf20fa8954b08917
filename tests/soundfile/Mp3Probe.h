#pragma once

#include <QMap>
#include <QProcess>
#include <QString>

// What ffprobe finds in an MP3 file: sample rate, channels, bit rate, the number of frames
// it reads (the packet count), the length it shows and the tags.
struct Mp3Probe
{
    int sampleRate = 0;
    int channels = 0;
    qint64 bitRate = 0;
    qint64 frames = 0;
    double duration = 0; // seconds, as players are told
    QMap<QString, QString> tags;
    bool ok = false;

    static Mp3Probe of(const QString& fileName)
    {
        QProcess ffprobe;
        ffprobe.start(
            QStringLiteral("ffprobe"),
            {"-v", "error", "-count_packets", "-select_streams", "a:0", "-show_entries",
             "stream=codec_name,sample_rate,channels,bit_rate,nb_read_packets:format=duration:format_tags",
             "-of", "default=noprint_wrappers=1", fileName});
        Mp3Probe probe;
        if (!ffprobe.waitForFinished(20000) || ffprobe.exitCode() != 0) {
            return probe;
        }
        QMap<QString, QString> values;
        for (const QString& line : QString::fromUtf8(ffprobe.readAllStandardOutput()).split('\n')) {
            const QString key = line.section('=', 0, 0);
            if (key.startsWith("TAG:"))
                probe.tags.insert(key.mid(4), line.section('=', 1));
            else
                values.insert(key, line.section('=', 1));
        }
        probe.ok = values.value("codec_name") == "mp3";
        probe.sampleRate = values.value("sample_rate").toInt();
        probe.channels = values.value("channels").toInt();
        probe.bitRate = values.value("bit_rate").toLongLong();
        probe.frames = values.value("nb_read_packets").toLongLong();
        probe.duration = values.value("duration").toDouble();
        return probe;
    }

    // The samples per channel a decoder plays (encoder delay and padding left out, as the
    // info frame tells them), or -1 when ffmpeg fails.
    static qint64 decodedFrames(const QString& fileName, int channels)
    {
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {"-nostdin", "-v", "error", "-i", fileName, "-f", "s16le", "-"});
        qint64 bytes = 0;
        while (ffmpeg.waitForReadyRead(20000))
            bytes += ffmpeg.readAllStandardOutput().size();
        if (ffmpeg.state() != QProcess::NotRunning)
            ffmpeg.waitForFinished(20000);
        bytes += ffmpeg.readAllStandardOutput().size();
        if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || channels <= 0)
            return -1;
        return bytes / (2 * channels);
    }
};

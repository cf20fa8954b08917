#pragma once

#include <QByteArray>

// Walks an MP3 file frame by frame through the Layer III headers, as a decoder finds
// them: past an ID3v2 tag at the start, every frame must start with a valid header exactly
// where the previous one ended. A first frame that carries the encoder's info (Xing/Info)
// is noted and not counted among the audio frames.
struct Mp3FrameWalk
{
    enum ChannelMode
    {
        Stereo = 0,
        JointStereo = 1,
        DualChannel = 2,
        Mono = 3,
        Mixed = -1
    };

    int frames = 0; // audio frames
    int sampleRate = 0;
    int channelMode = Mixed; // the same in every frame, else Mixed
    bool mono = false;
    qsizetype tagSize = 0;     // the ID3v2 tag in front of the frames
    QByteArray infoTag;        // "Xing" or "Info" when the first frame carries the info
    qint64 infoFrameCount = 0; // the audio frames the info frame announces
    bool ok = false;           // the whole file is a tag and a chain of valid frames

    static qsizetype id3v2Size(const QByteArray& file)
    {
        if (file.size() < 10 || !file.startsWith("ID3"))
            return 0;
        const auto* p = reinterpret_cast<const uchar*>(file.constData());
        return 10 + (qsizetype(p[6] & 0x7F) << 21 | qsizetype(p[7] & 0x7F) << 14 |
                     qsizetype(p[8] & 0x7F) << 7 | qsizetype(p[9] & 0x7F));
    }

    static Mp3FrameWalk of(const QByteArray& file)
    {
        static const int mpeg1Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320, -1};
        static const int mpeg2Kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
        static const int rates[4][3] = {
            {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
        Mp3FrameWalk walk;
        walk.tagSize = id3v2Size(file);
        qsizetype pos = walk.tagSize;
        bool first = true;
        while (pos + 4 <= file.size()) {
            const auto* p = reinterpret_cast<const uchar*>(file.constData() + pos);
            const quint32 h = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
            const int version = (h >> 19) & 3;
            const int rateIndex = (h >> 10) & 3;
            const int kbps = (version == 3 ? mpeg1Kbps : mpeg2Kbps)[(h >> 12) & 15];
            if ((h >> 21) != 0x7FF || version == 1 || ((h >> 17) & 3) != 1 || rateIndex == 3 || kbps <= 0) {
                return walk;
            }
            const int rate = rates[version][rateIndex];
            if (walk.sampleRate > 0 && rate != walk.sampleRate) {
                return walk;
            }
            walk.sampleRate = rate;
            const int mode = (h >> 6) & 3;
            walk.mono = mode == Mono;
            const int length = (version == 3 ? 144 : 72) * kbps * 1000 / rate + ((h >> 9) & 1);
            if (first && walk.readInfo(file, pos, version == 3, mode == Mono)) {
                walk.channelMode = mode;
            } else {
                walk.channelMode = walk.frames == 0 || walk.channelMode == mode ? mode : Mixed;
                ++walk.frames;
            }
            first = false;
            pos += length;
        }
        walk.ok = walk.frames > 0 && pos == file.size();
        return walk;
    }

private:
    // The info sits after the side information: 32 bytes (MPEG-1 stereo), 17 (MPEG-1 mono
    // or MPEG-2 stereo) or 9 (MPEG-2 mono) after the 4-byte header.
    bool readInfo(const QByteArray& file, qsizetype frameStart, bool mpeg1, bool monoFrame)
    {
        const int sideInfo = mpeg1 ? (monoFrame ? 17 : 32) : (monoFrame ? 9 : 17);
        const qsizetype at = frameStart + 4 + sideInfo;
        const QByteArray tag = file.mid(at, 4);
        if (tag != "Xing" && tag != "Info")
            return false;
        infoTag = tag;
        const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
        if (file.size() >= at + 12 && (p[7] & 1))
            infoFrameCount = qint64(p[8]) << 24 | qint64(p[9]) << 16 | qint64(p[10]) << 8 | p[11];
        return true;
    }
};

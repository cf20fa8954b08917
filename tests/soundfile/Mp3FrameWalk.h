#pragma once

#include <QByteArray>

// Walks an MP3 file frame by frame through the Layer III headers, as a decoder finds
// them: every frame must start with a valid header exactly where the previous one ended.
struct Mp3FrameWalk
{
    int frames = 0;
    int sampleRate = 0;
    bool mono = false;
    bool ok = false; // the whole file is a chain of valid frames

    static Mp3FrameWalk of(const QByteArray& file)
    {
        static const int mpeg1Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                          112, 128, 160, 192, 224, 256, 320, -1};
        static const int mpeg2Kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
        static const int rates[4][3] = {
            {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
        Mp3FrameWalk walk;
        qsizetype pos = 0;
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
            if (walk.frames > 0 && rate != walk.sampleRate) {
                return walk;
            }
            walk.sampleRate = rate;
            walk.mono = ((h >> 6) & 3) == 3;
            pos += (version == 3 ? 144 : 72) * kbps * 1000 / rate + ((h >> 9) & 1);
            ++walk.frames;
        }
        walk.ok = walk.frames > 0 && pos == file.size();
        return walk;
    }
};

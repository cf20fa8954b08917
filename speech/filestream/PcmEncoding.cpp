#include "speech/filestream/PcmEncoding.h"

#include <QtEndian>
#include <cstring>

void AppendPcmFrames(QByteArray& out, const qint16* samples, qsizetype count, int bitsPerSample, int channels)
{
    const qsizetype bytesPerSample = bitsPerSample / 8;
    const qsizetype start = out.size();
    out.resize(start + count * bytesPerSample * channels);
    char* at = out.data() + start;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // The engine's own frames: the samples as they are in memory.
    if (bytesPerSample == 2 && channels == 1) {
        std::memcpy(at, samples, std::size_t(count) * 2);
        return;
    }
#endif
    for (qsizetype i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
            if (bytesPerSample == 1)
                *at = char(PcmTo8Bit(samples[i]));
            else
                qToLittleEndian(samples[i], at);
            at += bytesPerSample;
        }
    }
}

#pragma once

#include <QByteArray>
#include <QtGlobal>

// 16-bit signed sample to the 8-bit unsigned sample of a WAV file (-32768 → 0, 0 → 128,
// 32767 → 255): the high byte, offset by 128.
constexpr quint8 PcmTo8Bit(qint16 sample)
{
    return quint8((int(sample) + 32768) >> 8);
}

// Appends mono 16-bit samples to out as frames of the given sample size (8 or 16 bits)
// and channel count (1 or 2; stereo repeats each sample on both channels).
void AppendPcmFrames(QByteArray& out, const qint16* samples, qsizetype count, int bitsPerSample,
                     int channels);

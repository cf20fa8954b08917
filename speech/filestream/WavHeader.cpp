#include "speech/filestream/WavHeader.h"

#include <QtEndian>

namespace {

void putLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

} // namespace

QByteArray MakeWavHeader(const SpeechAudioFormat& format, quint32 dataSize)
{
    QByteArray header;
    header.reserve(WavHeaderSize);
    header.append("RIFF", 4);
    putLe32(header, dataSize + (WavHeaderSize - 8));
    header.append("WAVEfmt ", 8);
    putLe32(header, 16); // the fmt chunk's size
    putLe16(header, 1);  // PCM
    putLe16(header, quint16(format.channels));
    putLe32(header, quint32(format.sampleRate));
    putLe32(header, quint32(format.BytesPerSecond()));
    putLe16(header, quint16(format.BlockAlign()));
    putLe16(header, quint16(format.bitsPerSample));
    header.append("data", 4);
    putLe32(header, dataSize);
    return header;
}

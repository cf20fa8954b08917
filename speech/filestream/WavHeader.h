#pragma once

#include "speech/filestream/SpeechAudioFormat.h"

#include <QByteArray>

// The canonical RIFF WAV header: "RIFF", size, "WAVE", a 16-byte "fmt " chunk of PCM and
// the "data" chunk's header, 44 bytes in all, sizes little-endian.
constexpr int WavHeaderSize = 44;
constexpr int WavRiffSizeOffset = 4;
constexpr int WavDataSizeOffset = 40;
// The largest sample data a header can count (the RIFF size, data + 36, is 32 bits).
constexpr qint64 WavMaxDataSize = 0xFFFFFFFFLL - (WavHeaderSize - 8);

QByteArray MakeWavHeader(const SpeechAudioFormat& format, quint32 dataSize);

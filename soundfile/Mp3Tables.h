#pragma once

#include <QStringList>
#include <cstdint>

// The fixed lists of the MP3 panel and the numbers behind their items.

enum class MpegClass
{
    Mpeg1,
    Mpeg2
};

struct SampleRateEntry
{
    const char* text;
    std::uint32_t rate;
    MpegClass mpegClass;
    int wavFormat; // SpeechAudioFormatType of 16-bit stereo at this rate

    // The 16-bit WAV format at this rate with the given channel count (1 or 2); the
    // mono format comes just before the stereo one.
    int WavFormat(int channels) const { return channels == 1 ? wavFormat - 1 : wavFormat; }
};

enum class EncodingKind
{
    Cbr,
    Abr,
    Vbr,
    Preset
};

struct EncodingModeEntry
{
    const char* text;
    EncodingKind kind;
    std::int32_t preset; // nPreset of a preset mode, -1 otherwise
};

namespace Mp3Tables {
constexpr int SampleRateCount = 9;
constexpr int BitrateCount = 18;
constexpr int ChannelCount = 3;
constexpr int ModeCount = 29;
constexpr int QualityCount = 10;
constexpr int FallbackBitrateItem = 11; // "128 kbps"

const SampleRateEntry& sampleRate(int item);
int bitrateKbps(int item);
std::int32_t channelMode(int item); // nMode: mono 3, stereo 0, joint stereo 1
const EncodingModeEntry& encodingMode(int item);

QStringList sampleRateTexts();
QStringList bitrateTexts();
QStringList channelTexts();
QStringList modeTexts();
QStringList qualityTexts();
} // namespace Mp3Tables

// The bitrate when the MPEG class can encode it, otherwise 128.
int CheckBitrate(MpegClass mpegClass, int kbps);

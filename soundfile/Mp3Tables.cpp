#include "soundfile/Mp3Tables.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace {

constexpr std::array<SampleRateEntry, Mp3Tables::SampleRateCount> SampleRates{{
    {"8000 Hz", 8000, MpegClass::Mpeg2, 7},
    {"11025 Hz", 11025, MpegClass::Mpeg2, 11},
    {"12000 Hz", 12000, MpegClass::Mpeg2, 15},
    {"16000 Hz", 16000, MpegClass::Mpeg2, 19},
    {"22050 Hz", 22050, MpegClass::Mpeg2, 23},
    {"24000 Hz", 24000, MpegClass::Mpeg2, 27},
    {"32000 Hz", 32000, MpegClass::Mpeg1, 31},
    {"44100 Hz", 44100, MpegClass::Mpeg1, 35},
    {"48000 Hz", 48000, MpegClass::Mpeg1, 39},
}};

constexpr std::array<int, Mp3Tables::BitrateCount> Bitrates{8,  16,  24,  32,  40,  48,  56,  64,  80,
                                                            96, 112, 128, 144, 160, 192, 224, 256, 320};

constexpr std::array<int, 14> Mpeg1Bitrates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 14> Mpeg2Bitrates{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

constexpr std::array<const char*, Mp3Tables::ChannelCount> ChannelTexts{"Mono  ", "Stereo  ",
                                                                        "Joint Stereo  "};
constexpr std::array<std::int32_t, Mp3Tables::ChannelCount> ChannelModes{3, 0, 1};

constexpr std::array<EncodingModeEntry, Mp3Tables::ModeCount> Modes{{
    {"CBR-Constant Bitrate", EncodingKind::Cbr, -1},
    {"ABR-Average Bitrate ", EncodingKind::Abr, -1},
    {"VBR-Variable bitrate ", EncodingKind::Vbr, -1},
    {"r3mix", EncodingKind::Preset, 4},
    {"MODE_VOICE_QUALITY", EncodingKind::Preset, 3},
    {"LQP_NORMAL_QUALITY", EncodingKind::Preset, 0},
    {"LQP_LOW_QUALITY", EncodingKind::Preset, 1},
    {"LQP_HIGH_QUALITY", EncodingKind::Preset, 2},
    {"LQP_VOICE_QUALITY", EncodingKind::Preset, 3},
    {"LQP_VERYHIGH_QUALITY", EncodingKind::Preset, 5},
    {"LQP_STANDARD", EncodingKind::Preset, 6},
    {"LQP_FAST_STANDARD", EncodingKind::Preset, 7},
    {"LQP_EXTREME", EncodingKind::Preset, 8},
    {"LQP_FAST_EXTREME", EncodingKind::Preset, 9},
    {"LQP_INSANE", EncodingKind::Preset, 10},
    {"LQP_ABR", EncodingKind::Preset, 11},
    {"LQP_CBR", EncodingKind::Preset, 12},
    {"LQP_MEDIUM", EncodingKind::Preset, 13},
    {"LQP_FAST_MEDIUM", EncodingKind::Preset, 14},
    {"LQP_PHONE - new", EncodingKind::Preset, 1000},
    {"LQP_SW - new", EncodingKind::Preset, 2000},
    {"LQP_AM - new", EncodingKind::Preset, 3000},
    {"LQP_FM - new", EncodingKind::Preset, 4000},
    {"LQP_VOICE - new", EncodingKind::Preset, 5000},
    {"LQP_RADIO - new", EncodingKind::Preset, 6000},
    {"LQP_TAPE - new", EncodingKind::Preset, 7000},
    {"LQP_HIFI - new", EncodingKind::Preset, 8000},
    {"LQP_CD - new", EncodingKind::Preset, 9000},
    {"LQP_STUDIO - new", EncodingKind::Preset, 10000},
}};

constexpr std::array<const char*, Mp3Tables::QualityCount> QualityTexts{
    "0 - лучьший но медленный -best (very slow)",
    "1 - очень высокое качество",
    "2 - высокое качество",
    "3 - качкство близкое к высокому и не очень медленно",
    "4 - хорошее качество",
    "5 - хорошее качество и быстрый (good quality, fast)",
    "6 - среднее качество ",
    "7 - среднее качество и быстрый (ok quality, really fast)",
    "8 - качество ниже среднего",
    "9 - наихудшее качество (отключены все алгоритмы)",
};

void checkItem(const char* englishList, const char* russianList, int item, int count)
{
    if (item < 0 || item >= count) {
        throw VemoError(Say("The list \"%1\" has no item %2", "В списке «%1» нет пункта %2")
                            .arg(Say(englishList, russianList))
                            .arg(item));
    }
}

template <typename Array> QStringList texts(const Array& array)
{
    QStringList list;
    for (const auto& entry : array) {
        if constexpr (std::is_same_v<std::decay_t<decltype(entry)>, const char*>) {
            list << QString::fromUtf8(entry);
        } else {
            list << QString::fromUtf8(entry.text);
        }
    }
    return list;
}

} // namespace

namespace Mp3Tables {

const SampleRateEntry& sampleRate(int item)
{
    checkItem("Sample rate", "Частота дискретизации", item, SampleRateCount);
    return SampleRates[std::size_t(item)];
}

int bitrateKbps(int item)
{
    checkItem("Bit rate", "Скорость бит. потока", item, BitrateCount);
    return Bitrates[std::size_t(item)];
}

std::int32_t channelMode(int item)
{
    checkItem("Channels", "Количество каналов", item, ChannelCount);
    return ChannelModes[std::size_t(item)];
}

const EncodingModeEntry& encodingMode(int item)
{
    checkItem("Encoding mode", "Режим кодирования", item, ModeCount);
    return Modes[std::size_t(item)];
}

QStringList sampleRateTexts()
{
    return texts(SampleRates);
}
QStringList bitrateTexts()
{
    QStringList list;
    for (int kbps : Bitrates) {
        list << QStringLiteral("%1 kbps").arg(kbps);
    }
    return list;
}
QStringList channelTexts()
{
    return texts(ChannelTexts);
}
QStringList modeTexts()
{
    return texts(Modes);
}
QStringList qualityTexts()
{
    return texts(QualityTexts);
}

} // namespace Mp3Tables

int CheckBitrate(MpegClass mpegClass, int kbps)
{
    const auto& valid = mpegClass == MpegClass::Mpeg1 ? Mpeg1Bitrates : Mpeg2Bitrates;
    return std::find(valid.begin(), valid.end(), kbps) != valid.end() ? kbps : 128;
}

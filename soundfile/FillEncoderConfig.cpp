#include "soundfile/FillEncoderConfig.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/Mp3Tables.h"

namespace {

constexpr std::int32_t True = -1; // a boolean field with every bit set
constexpr std::int32_t PresetAbr = 11;
constexpr std::int32_t PresetCbr = 12;

EncoderConfig defaultRecord(const SampleRateEntry& rate)
{
    EncoderConfig c;
    c.setDword(EncoderConfig::dwConfig, EncoderConfig::ConfigLame);
    c.setDword(EncoderConfig::dwStructVersion, 1);
    c.setDword(EncoderConfig::dwStructSize, EncoderConfig::Size);
    c.setDword(EncoderConfig::dwSampleRate, rate.rate);
    c.setDword(EncoderConfig::dwReSampleRate, rate.rate);
    c.setInt32(EncoderConfig::nPreset, -1);
    const bool mpeg1 = rate.mpegClass == MpegClass::Mpeg1;
    c.setDword(EncoderConfig::dwMpegVersion, mpeg1 ? 1 : 0);
    c.setDword(EncoderConfig::dwBitrate, mpeg1 ? 32 : 8);
    c.setDword(EncoderConfig::dwMaxBitrate, mpeg1 ? 320 : 160);
    c.setInt32(EncoderConfig::bOriginal, True);
    c.setInt32(EncoderConfig::bWriteVBRHeader, True); // the info frame: players see the true length
    c.setInt32(EncoderConfig::bEnableVBR, True);
    c.setInt32(EncoderConfig::bStrictIso, True);
    return c;
}

// Low byte the quality index, high byte its complement: the encoder trusts the value only
// when both agree.
std::uint16_t qualityWord(int item)
{
    if (item < 0 || item >= Mp3Tables::QualityCount) {
        throw VemoError(
            Say("The algorithm quality list has no item %1", "В списке качества алгоритма нет пункта %1")
                .arg(item));
    }
    return std::uint16_t(item | (255 - item) << 8);
}

void applyMode(EncoderConfig& c, const Mp3Choices& choices, MpegClass mpegClass)
{
    const EncodingModeEntry& mode = Mp3Tables::encodingMode(choices.modeItem);
    const auto validated = [mpegClass](int item) {
        return std::uint32_t(CheckBitrate(mpegClass, Mp3Tables::bitrateKbps(item)));
    };
    switch (mode.kind) {
    case EncodingKind::Cbr:
        c.setInt32(EncoderConfig::bEnableVBR, 0);
        c.setDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        break;
    case EncodingKind::Abr:
        c.setInt32(EncoderConfig::nVbrMethod, 4);
        c.setDword(EncoderConfig::dwVbrAbr_bps, validated(choices.bitrateItem) * 1000);
        break;
    case EncodingKind::Vbr:
        if (choices.vbrQuality < 0 || choices.vbrQuality > 9) {
            throw VemoError(Say("VBR quality %1 is outside 0-9", "Качество VBR %1 вне пределов 0-9")
                                .arg(choices.vbrQuality));
        }
        c.setInt32(EncoderConfig::nVbrMethod, 0);
        c.setInt32(EncoderConfig::nVBRQuality, choices.vbrQuality);
        c.setDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        c.setDword(EncoderConfig::dwMaxBitrate, validated(choices.bitrateMaxItem));
        break;
    case EncodingKind::Preset:
        // The constant and average bitrate presets encode at the bitrate the list shows.
        c.setInt32(EncoderConfig::nPreset, mode.preset);
        if (mode.preset == PresetCbr)
            c.setDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        else if (mode.preset == PresetAbr)
            c.setDword(EncoderConfig::dwVbrAbr_bps, validated(choices.bitrateItem) * 1000);
        break;
    }
}

} // namespace

FilledEncoderConfig FillEncoderConfig(const Mp3Choices& choices)
{
    const SampleRateEntry& rate = Mp3Tables::sampleRate(choices.sampleRateItem);
    EncoderConfig c = defaultRecord(rate);
    if (choices.channelsItem >= 0) {
        c.setInt32(EncoderConfig::nMode, Mp3Tables::channelMode(choices.channelsItem));
    }
    c.setWord(EncoderConfig::nQuality, qualityWord(choices.qualityItem));
    if (choices.modeItem >= 0) {
        applyMode(c, choices, rate.mpegClass);
    }
    // The speech is written with the channels the MP3 gets: the WAV's channel count is
    // what the conversion encodes, and mono halves the data it works on.
    const bool mono = c.int32(EncoderConfig::nMode) == EncoderConfig::ModeMono;
    return {c, rate.WavFormat(mono ? 1 : 2)};
}

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
    c.SetDword(EncoderConfig::dwConfig, EncoderConfig::ConfigLame);
    c.SetDword(EncoderConfig::dwStructVersion, 1);
    c.SetDword(EncoderConfig::dwStructSize, EncoderConfig::Size);
    c.SetDword(EncoderConfig::dwSampleRate, rate.rate);
    c.SetDword(EncoderConfig::dwReSampleRate, rate.rate);
    c.SetInt32(EncoderConfig::nPreset, -1);
    const bool mpeg1 = rate.mpegClass == MpegClass::Mpeg1;
    c.SetDword(EncoderConfig::dwMpegVersion, mpeg1 ? 1 : 0);
    c.SetDword(EncoderConfig::dwBitrate, mpeg1 ? 32 : 8);
    c.SetDword(EncoderConfig::dwMaxBitrate, mpeg1 ? 320 : 160);
    c.SetInt32(EncoderConfig::bOriginal, True);
    c.SetInt32(EncoderConfig::bWriteVBRHeader, True); // the info frame: players see the true length
    c.SetInt32(EncoderConfig::bEnableVBR, True);
    c.SetInt32(EncoderConfig::bStrictIso, True);
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
        c.SetInt32(EncoderConfig::bEnableVBR, 0);
        c.SetDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        break;
    case EncodingKind::Abr:
        c.SetInt32(EncoderConfig::nVbrMethod, 4);
        c.SetDword(EncoderConfig::dwVbrAbr_bps, validated(choices.bitrateItem) * 1000);
        break;
    case EncodingKind::Vbr:
        if (choices.vbrQuality < 0 || choices.vbrQuality > 9) {
            throw VemoError(Say("VBR quality %1 is outside 0-9", "Качество VBR %1 вне пределов 0-9")
                                .arg(choices.vbrQuality));
        }
        c.SetInt32(EncoderConfig::nVbrMethod, 0);
        c.SetInt32(EncoderConfig::nVBRQuality, choices.vbrQuality);
        c.SetDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        c.SetDword(EncoderConfig::dwMaxBitrate, validated(choices.bitrateMaxItem));
        break;
    case EncodingKind::Preset:
        // The constant and average bitrate presets encode at the bitrate the list shows.
        c.SetInt32(EncoderConfig::nPreset, mode.preset);
        if (mode.preset == PresetCbr)
            c.SetDword(EncoderConfig::dwBitrate, validated(choices.bitrateItem));
        else if (mode.preset == PresetAbr)
            c.SetDword(EncoderConfig::dwVbrAbr_bps, validated(choices.bitrateItem) * 1000);
        break;
    }
}

} // namespace

FilledEncoderConfig FillEncoderConfig(const Mp3Choices& choices)
{
    const SampleRateEntry& rate = Mp3Tables::sampleRate(choices.sampleRateItem);
    EncoderConfig c = defaultRecord(rate);
    if (choices.channelsItem >= 0) {
        c.SetInt32(EncoderConfig::nMode, Mp3Tables::channelMode(choices.channelsItem));
    }
    c.SetWord(EncoderConfig::nQuality, qualityWord(choices.qualityItem));
    if (choices.modeItem >= 0) {
        applyMode(c, choices, rate.mpegClass);
    }
    // The speech is written with the channels the MP3 gets: the WAV's channel count is
    // what the conversion encodes, and mono halves the data it works on.
    const bool mono = c.Int32(EncoderConfig::nMode) == EncoderConfig::ModeMono;
    return {c, rate.WavFormat(mono ? 1 : 2)};
}

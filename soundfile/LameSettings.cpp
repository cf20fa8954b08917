#include "soundfile/LameSettings.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::int32_t ModeStereo = 0;
constexpr std::int32_t ModeJointStereo = 1;
constexpr std::int32_t ModeDualChannel = 2;
constexpr std::int32_t ModeMono = 3;

constexpr std::int32_t VbrMethodNone = -1;
constexpr std::int32_t VbrMethodOld = 1;
constexpr std::int32_t VbrMethodNew = 2;
constexpr std::int32_t VbrMethodMtrh = 3;
constexpr std::int32_t VbrMethodAbr = 4;

bool isMp3SampleRate(std::uint32_t rate)
{
    constexpr std::array<std::uint32_t, 9> rates{8000,  11025, 12000, 16000, 22050,
                                                 24000, 32000, 44100, 48000};
    return std::find(rates.begin(), rates.end(), rate) != rates.end();
}

bool applySampleRates(lame_t lame, const EncoderConfig& c)
{
    const std::uint32_t in = c.Dword(EncoderConfig::dwSampleRate);
    const std::uint32_t resample = c.Dword(EncoderConfig::dwReSampleRate);
    const std::uint32_t out = resample != 0 ? resample : in;
    if (in < 1000 || in > 192000 || !isMp3SampleRate(out)) {
        return false;
    }
    lame_set_in_samplerate(lame, int(in));
    // Fixed explicitly: left to itself LAME picks a lower output rate for low bitrates.
    lame_set_out_samplerate(lame, int(out));
    return true;
}

bool applyMode(lame_t lame, const EncoderConfig& c)
{
    switch (c.Int32(EncoderConfig::nMode)) {
    case ModeMono:
        lame_set_mode(lame, MONO);
        return true;
    case ModeStereo:
    case ModeDualChannel: // LAME encodes no dual-channel streams; two independent channels come nearest
        lame_set_mode(lame, STEREO);
        return true;
    case ModeJointStereo:
        lame_set_mode(lame, JOINT_STEREO);
        return true;
    default:
        return false;
    }
}

vbr_mode vbrModeOf(std::int32_t method)
{
    switch (method) {
    case VbrMethodOld:
        return vbr_rh;
    case VbrMethodNew:
    case VbrMethodMtrh:
        return vbr_mtrh;
    case VbrMethodAbr:
        return vbr_abr;
    default:
        return vbr_default;
    }
}

void applyBitrates(lame_t lame, const EncoderConfig& c)
{
    const int bitrate = int(std::min<std::uint32_t>(c.Dword(EncoderConfig::dwBitrate), 320));
    const int maxBitrate = int(std::min<std::uint32_t>(c.Dword(EncoderConfig::dwMaxBitrate), 320));
    const std::int32_t method = c.Int32(EncoderConfig::nVbrMethod);
    if (c.Dword(EncoderConfig::bEnableVBR) == 0 || method == VbrMethodNone) {
        lame_set_VBR(lame, vbr_off);
        lame_set_brate(lame, bitrate);
        return;
    }
    lame_set_VBR(lame, vbrModeOf(method));
    if (method == VbrMethodAbr) {
        const int mean = int(std::min<std::uint32_t>(c.Dword(EncoderConfig::dwVbrAbr_bps) / 1000, 320));
        lame_set_VBR_mean_bitrate_kbps(lame, mean);
    } else {
        lame_set_VBR_q(lame, std::clamp(c.Int32(EncoderConfig::nVBRQuality), 0, 9));
    }
    lame_set_VBR_min_bitrate_kbps(lame, std::min(bitrate, maxBitrate));
    lame_set_VBR_max_bitrate_kbps(lame, std::max(bitrate, maxBitrate));
}

void applyFlags(lame_t lame, const EncoderConfig& c)
{
    lame_set_copyright(lame, c.Dword(EncoderConfig::bCopyright) != 0);
    lame_set_original(lame, c.Dword(EncoderConfig::bOriginal) != 0);
    lame_set_error_protection(lame, c.Dword(EncoderConfig::bCRC) != 0);
    lame_set_extension(lame, c.Dword(EncoderConfig::bPrivate) != 0);
    lame_set_strict_ISO(lame, c.Dword(EncoderConfig::bStrictIso) != 0);
    lame_set_disable_reservoir(lame, c.Dword(EncoderConfig::bNoRes) != 0);
    const std::uint32_t emphasis = c.Dword(EncoderConfig::dwEmphasis);
    if (emphasis <= 3) {
        lame_set_emphasis(lame, int(emphasis));
    }
    // The info frame (Xing or Info: frame count, byte count, seek table, encoder delay and
    // padding) gives players the true length; LAME leaves room for it in its first output
    // and beInfoFrame hands it over at the end. LAME has a single psychoacoustic model, so
    // dwPsyModel has nothing to choose.
    lame_set_bWriteVbrTag(lame, c.Dword(EncoderConfig::bWriteVBRHeader) != 0);
    lame_set_write_id3tag_automatic(lame, 0);
}

void applyQuality(lame_t lame, const EncoderConfig& c)
{
    const std::uint16_t word = c.Word(EncoderConfig::nQuality);
    const int low = word & 0xFF;
    const int high = word >> 8;
    if (high == (~low & 0xFF) && low <= 9) {
        lame_set_quality(lame, low);
    }
}

// A fixed constant-bitrate setting standing in for a named quality class.
void applyCbrClass(lame_t lame, int kbps, MPEG_mode mode, int lowpassHz)
{
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, kbps);
    lame_set_mode(lame, mode);
    if (lowpassHz > 0) {
        lame_set_lowpassfreq(lame, lowpassHz);
    }
}

// LAME's own preset for a record preset that has one, 0 otherwise.
int lamePresetOf(std::int32_t preset)
{
    switch (preset) {
    case 4: // r3mix
        return R3MIX;
    case 6: // standard
        return STANDARD;
    case 7: // fast standard
        return STANDARD_FAST;
    case 8: // extreme
        return EXTREME;
    case 9: // fast extreme
        return EXTREME_FAST;
    case 10: // insane
        return INSANE;
    case 13: // medium
        return MEDIUM;
    case 14: // fast medium
        return MEDIUM_FAST;
    default:
        return 0;
    }
}

// Presets with an equivalent in LAME's own preset list, or on its quality scale
// (normal 5, low 9, high 2, very high 0).
bool applyNamedPreset(lame_t lame, std::int32_t preset)
{
    constexpr std::array<int, 6> qualityOfPreset{5, 9, 2, -1, -1, 0};
    if (preset >= 0 && preset < int(qualityOfPreset.size()) && qualityOfPreset[std::size_t(preset)] >= 0) {
        lame_set_quality(lame, qualityOfPreset[std::size_t(preset)]);
        return true;
    }
    if (const int lamePreset = lamePresetOf(preset)) {
        lame_set_preset(lame, lamePreset);
        return true;
    }
    return false;
}

// The quality classes from telephone to studio: constant bitrate, channel mode and
// low-pass filter of each class; voice quality is mono at an average of 56 kbps.
bool applyClassPreset(lame_t lame, std::int32_t preset)
{
    switch (preset) {
    case 3: // voice quality
        lame_set_mode(lame, MONO);
        lame_set_preset(lame, 56);
        return true;
    case 1000: // phone
        applyCbrClass(lame, 16, MONO, 3200);
        return true;
    case 2000: // short wave
        applyCbrClass(lame, 24, MONO, 4800);
        return true;
    case 3000: // AM radio
        applyCbrClass(lame, 40, MONO, 7200);
        return true;
    case 4000: // FM radio
        applyCbrClass(lame, 112, JOINT_STEREO, 15000);
        return true;
    case 5000: // voice
        applyCbrClass(lame, 56, MONO, 12000);
        return true;
    case 6000: // radio
        applyCbrClass(lame, 112, JOINT_STEREO, 15000);
        return true;
    case 7000: // tape
        applyCbrClass(lame, 128, JOINT_STEREO, 17000);
        return true;
    case 8000: // hi-fi
        applyCbrClass(lame, 160, JOINT_STEREO, 20000);
        return true;
    case 9000: // CD
        applyCbrClass(lame, 192, STEREO, 0);
        return true;
    case 10000: // studio
        applyCbrClass(lame, 256, STEREO, 0);
        return true;
    default:
        return false;
    }
}

// The record's own average or constant bitrate as a preset.
void applyBitratePreset(lame_t lame, const EncoderConfig& c, std::int32_t preset)
{
    if (preset == 11) { // average bitrate: LAME's ABR preset of the record's ABR rate
        const std::uint32_t kbps = c.Dword(EncoderConfig::dwVbrAbr_bps) / 1000;
        if (kbps >= 8 && kbps <= 320) {
            lame_set_preset(lame, int(kbps));
        }
    } else if (preset == 12) { // constant bitrate at the record's bitrate
        lame_set_VBR(lame, vbr_off);
        lame_set_brate(lame, int(std::min<std::uint32_t>(c.Dword(EncoderConfig::dwBitrate), 320)));
    }
}

// Presets come last: they override the bitrate settings, after lame_set_VBR has chosen
// the VBR mode they refine. A value LAME has no counterpart for is ignored.
void applyPreset(lame_t lame, const EncoderConfig& c)
{
    const std::int32_t preset = c.Int32(EncoderConfig::nPreset);
    if (!applyNamedPreset(lame, preset) && !applyClassPreset(lame, preset)) {
        applyBitratePreset(lame, c, preset);
    }
}

// LAME takes UTF-16 text with a byte order mark, ended by a zero.
std::vector<unsigned short> utf16WithBom(const QString& text)
{
    std::vector<unsigned short> result{0xFEFF};
    for (const QChar c : text)
        result.push_back(c.isNull() ? u' ' : c.unicode());
    result.push_back(0);
    return result;
}

bool setText(lame_t lame, const char* frame, const QString& text)
{
    return text.isEmpty() || id3tag_set_textinfo_utf16(lame, frame, utf16WithBom(text).data()) == 0;
}

QString trackText(const Mp3Tags& tags)
{
    if (tags.track <= 0)
        return {};
    const QString track = QString::number(tags.track);
    return tags.trackCount > 0 ? track + u'/' + QString::number(tags.trackCount) : track;
}

} // namespace

bool ApplyMp3Tags(lame_t lame, const Mp3Tags& tags)
{
    id3tag_init(lame);
    id3tag_add_v2(lame);
    id3tag_v2_only(lame);
    const bool set = setText(lame, "TIT2", tags.title) && setText(lame, "TALB", tags.album) &&
                     setText(lame, "TRCK", trackText(tags)) &&
                     setText(lame, "TYER", tags.year > 0 ? QString::number(tags.year) : QString()) &&
                     setText(lame, "TLAN", tags.language) && setText(lame, "TSSE", QStringLiteral("Vemo"));
    lame_set_write_id3tag_automatic(lame, 1);
    return set;
}

int InputChannels(const EncoderConfig& config)
{
    return config.Int32(EncoderConfig::nMode) == ModeMono ? 1 : 2;
}

bool ApplyEncoderConfig(lame_t lame, const EncoderConfig& config)
{
    if (config.Dword(EncoderConfig::dwConfig) != EncoderConfig::ConfigLame ||
        config.Dword(EncoderConfig::dwStructVersion) < 1) {
        return false;
    }
    lame_set_num_channels(lame, InputChannels(config));
    if (!applySampleRates(lame, config) || !applyMode(lame, config)) {
        return false;
    }
    applyBitrates(lame, config);
    applyFlags(lame, config);
    applyQuality(lame, config);
    applyPreset(lame, config);
    return true;
}

#include "speech/filestream/SpeechAudioFormat.h"

#include <array>

namespace {

struct RateEntry
{
    int hertz;
    const char* label;
};

constexpr std::array<RateEntry, 9> Rates{{{8000, "8kHz"},
                                          {11025, "11kHz"},
                                          {12000, "12kHz"},
                                          {16000, "16kHz"},
                                          {22050, "22kHz"},
                                          {24000, "24kHz"},
                                          {32000, "32kHz"},
                                          {44100, "44kHz"},
                                          {48000, "48kHz"}}};

const RateEntry& rateOf(int type)
{
    return Rates[static_cast<std::size_t>((type - FirstSpeechAudioFormat) / 4)];
}

} // namespace

QString SpeechAudioFormat::Name() const
{
    if (!FromType(type))
        return {};
    return QStringLiteral("SAFT%1%2Bit%3")
        .arg(QLatin1String(rateOf(type).label))
        .arg(bitsPerSample)
        .arg(channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
}

std::optional<SpeechAudioFormat> SpeechAudioFormat::FromType(int type)
{
    if (type < FirstSpeechAudioFormat || type > LastSpeechAudioFormat)
        return std::nullopt;
    const int variant = (type - FirstSpeechAudioFormat) % 4;
    SpeechAudioFormat format;
    format.type = type;
    format.sampleRate = rateOf(type).hertz;
    format.bitsPerSample = variant < 2 ? 8 : 16;
    format.channels = variant % 2 == 0 ? 1 : 2;
    return format;
}

QStringList SpeechAudioFormat::Names()
{
    QStringList list;
    for (int type = FirstSpeechAudioFormat; type <= LastSpeechAudioFormat; ++type)
        list << FromType(type)->Name();
    return list;
}

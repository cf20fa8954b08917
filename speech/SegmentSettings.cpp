#include "speech/SegmentSettings.h"

#include "speech/xml/SapiXml.h"

#include <QtGlobal>
#include <cmath>

namespace {

constexpr int EspeakNormalRate = 175;
// espeak-ng speaks no slower than 80 words per minute. Above 450 it speeds its speech up
// with its built-in time-stretching, up to the three times normal that rate +10 asks for.
constexpr int EspeakMinimumRate = 80;
constexpr int EspeakMaximumRate = EspeakNormalRate * 3;
constexpr int EspeakNormalPitch = 50;
// Emphasis speaks a little louder and higher.
constexpr int EmphasisVolumePercent = 125;
constexpr int EmphasisPitchSteps = 2;

} // namespace

double RateFactor(int rate)
{
    return std::pow(3.0, qBound(-10, rate, 10) / 10.0);
}

SegmentSettings SegmentSettings::Of(const SapiSegment& segment, int voiceRate, int voiceVolume)
{
    SegmentSettings settings;
    settings.rate = qBound(-10, segment.rateAbsolute.value_or(voiceRate) + segment.rateRelative, 10);
    settings.volume = qBound(0, voiceVolume, 100) * qBound(0, segment.volume.value_or(100), 100) / 100;
    settings.pitch = segment.pitchAbsolute.value_or(0) + segment.pitchRelative;
    if (segment.emphasis) {
        settings.volume = settings.volume * EmphasisVolumePercent / 100;
        settings.pitch += EmphasisPitchSteps;
    }
    settings.pitch = qBound(-10, settings.pitch, 10);
    settings.languageId = segment.languageId;
    settings.spell = segment.spell;
    return settings;
}

int SegmentSettings::WordsPerMinute() const
{
    const int wpm = int(std::lround(EspeakNormalRate * RateFactor(rate)));
    return qBound(EspeakMinimumRate, wpm, EspeakMaximumRate);
}

int SegmentSettings::EspeakVolume() const
{
    return qBound(0, volume, 200);
}

int SegmentSettings::EspeakPitch() const
{
    return qBound(0, EspeakNormalPitch + pitch * 4, 100);
}

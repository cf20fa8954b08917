#pragma once

struct SapiSegment;

// Rate -10..10 as a speed factor: 0 is the engine's normal speed, each step the same
// factor, +10 three times as fast and -10 a third.
double RateFactor(int rate);

// How one segment is to be spoken, after the markup's settings are applied to the voice's
// rate and volume.
struct SegmentSettings
{
    int rate = 0;       // -10..10
    int volume = 100;   // 0..200 (emphasis may lift it over 100)
    int pitch = 0;      // -10..10
    int languageId = 0; // 0 = the voice's own, 0x409 English, 0x419 Russian
    bool spell = false;

    static SegmentSettings Of(const SapiSegment& segment, int voiceRate, int voiceVolume);

    // The same on espeak-ng's scales: words per minute 80..525, volume 0..200, pitch 0..100.
    int WordsPerMinute() const;
    int EspeakVolume() const;
    int EspeakPitch() const;
};

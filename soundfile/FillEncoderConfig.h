#pragma once

#include "soundfile/EncoderConfig.h"

// What the MP3 panel shows at the moment of acceptance, as item indices of its lists
// (-1: no item chosen, allowed for the channel and mode lists only).
struct Mp3Choices
{
    int sampleRateItem = 4;
    int channelsItem = 0;
    int modeItem = 0; // "CBR-Constant Bitrate"
    int bitrateItem = 7;
    int bitrateMaxItem = 7;
    int vbrQuality = 0; // track-bar position 0..9
    int qualityItem = 2;

    bool operator==(const Mp3Choices&) const = default;
};

struct FilledEncoderConfig
{
    EncoderConfig config;
    int streamFormatType; // 16-bit WAV at the MP3 sample rate: mono for "Mono  ", else stereo
};

// Turns the panel's choices into the encoder record and the WAV format the speech engine
// must write for it. Throws VemoError when an item index lies outside its list.
FilledEncoderConfig FillEncoderConfig(const Mp3Choices& choices);

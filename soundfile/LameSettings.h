#pragma once

#include "soundfile/EncoderConfig.h"
#include "soundfile/Mp3Tags.h"

#include <lame/lame.h>

// Carries the fields of an encoder record over to a fresh LAME context, before
// lame_init_params. Returns false when a field holds a value the encoder cannot take
// (an unknown record kind, a sample rate outside MP3, a channel mode that does not exist).
bool ApplyEncoderConfig(lame_t lame, const EncoderConfig& config);

// The input channels a record asks for: 1 in mono mode, 2 otherwise.
int InputChannels(const EncoderConfig& config);

// Asks LAME to start its output with an ID3v2 tag (no ID3v1 tag: it cannot hold Cyrillic)
// holding the tags and "Vemo" as the encoder, before lame_init_params. False when LAME
// refuses a frame.
bool ApplyMp3Tags(lame_t lame, const Mp3Tags& tags);

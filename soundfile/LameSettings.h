#pragma once

#include "soundfile/EncoderConfig.h"

#include <lame/lame.h>

// Carries the fields of an encoder record over to a fresh LAME context, before
// lame_init_params. Returns false when a field holds a value the encoder cannot take
// (an unknown record kind, a sample rate outside MP3, a channel mode that does not exist).
bool ApplyEncoderConfig(lame_t lame, const EncoderConfig& config);

// The input channels a record asks for: 1 in mono mode, 2 otherwise.
int InputChannels(const EncoderConfig& config);

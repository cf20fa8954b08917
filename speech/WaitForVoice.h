#pragma once

#include <functional>

class SpeechVoice;

// Waits for the voice in 100 ms slices, letting window messages through after each slice
// that ends with the voice still speaking; when stopRequested() answers true the voice is
// purged, which ends its speech at once.
void WaitForVoice(SpeechVoice& voice, const std::function<bool()>& stopRequested);

#pragma once

#include "speech/SpeechVoice.h"
#include "speech/SpokenText.h"

#include <memory>

class SpeechQueue;

// One Speak handed to the engine thread: what to say, with which voice and settings, and
// where the audio and events go.
struct SpeechJob
{
    SpokenText spoken;
    VoiceToken voice;
    int rate = 0;
    int volume = 100;
    int streamNumber = 0;
    int generation = 0;
    std::shared_ptr<SpeechQueue> queue;
    SpFileStream* file = nullptr; // nullptr: the queue's sound device
};

#pragma once

#include <QtGlobal>

// The engine's native output: 16-bit signed mono samples at this rate.
constexpr int EngineSampleRate = 22050;

// One event of a voice on its way to the GUI thread. Events wait in a voice's playback
// queue until the audio they belong to is heard (sound device) or, when immediate, until
// the queue is next pumped (file stream).
struct SpeechEvent
{
    enum class Kind
    {
        Word,
        Sentence,
        AudioLevel,
        EndStream
    };

    Kind kind = Kind::Word;
    qint64 sample = 0;         // position on the playback clock, in samples
    qint64 streamPosition = 0; // bytes of this stream's audio before the event
    int streamNumber = 0;
    int position = 0; // Word, Sentence: index in the text given to Speak
    int length = 0;   // Word, Sentence: characters
    int level = 0;    // AudioLevel: 0..100
    bool immediate = false;
};

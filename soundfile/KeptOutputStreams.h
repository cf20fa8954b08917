#pragma once

#include "speech/SpeechVoice.h"

// The output streams both voices had when it was made, given back when it goes: a run into
// files points the voices at its file stream, and whatever comes after it (reading aloud,
// the next run) finds them as they were, also after an error.
class KeptOutputStreams
{
public:
    KeptOutputStreams(SpeechVoice& voiceRu, SpeechVoice& voiceEng)
        : m_voiceRu(voiceRu), m_voiceEng(voiceEng), m_ru(voiceRu.AudioOutputStream()),
          m_eng(voiceEng.AudioOutputStream())
    {}
    ~KeptOutputStreams()
    {
        m_voiceRu.SetAudioOutputStream(m_ru);
        m_voiceEng.SetAudioOutputStream(m_eng);
    }
    KeptOutputStreams(const KeptOutputStreams&) = delete;
    KeptOutputStreams& operator=(const KeptOutputStreams&) = delete;

private:
    SpeechVoice& m_voiceRu;
    SpeechVoice& m_voiceEng;
    SpFileStream* const m_ru;
    SpFileStream* const m_eng;
};

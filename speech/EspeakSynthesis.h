#pragma once

#include "speech/JobOutput.h"

#include <espeak-ng/speak_lib.h>
#include <vector>

class EspeakVoiceList;
struct SegmentSettings;

// Speaks one job with espeak-ng on the engine thread: every segment with its voice and
// settings, each word's events at the sample where espeak-ng starts the word. Stops at the
// next buffer once the queue is purged.
class EspeakSynthesis
{
public:
    EspeakSynthesis(const SpeechJob& job, const EspeakVoiceList& voices, QString& currentVoice);

    void Run();
    // Ends the stream without a sound, as when the engine cannot speak at all.
    void EndUnspoken();

    // espeak-ng's synthesis callback; the job in progress travels as the user data.
    static int Callback(short* wav, int count, espeak_EVENT* events);

private:
    void SpeakSegments();
    void SpeakSegment(qsizetype k);
    void SpeakText(const QString& text, int spokenOffset);
    void SpeakSpelled(const QString& text, int spokenOffset);
    void SpeakSilence(int ms);
    void ApplySettings(const SegmentSettings& settings);
    int Take(const short* wav, int count, const espeak_EVENT* events);
    QList<SpeechEvent> WordEvents(const espeak_EVENT& event);
    bool IsPurged() const { return m_output.IsPurged(); }

    const SpeechJob& m_job;
    const EspeakVoiceList& m_voices;
    QString& m_currentVoice;
    JobOutput m_output;
    qint64 m_synthBase = 0;   // stream sample where the current espeak_Synth began
    int m_spokenOffset = 0;   // spoken index of the current espeak_Synth text
    std::vector<int> m_utf16; // code point index -> index in that text, when they differ
    bool m_stopped = false;
    bool m_endPause = false; // the current espeak_Synth ends the Speak after punctuation
};

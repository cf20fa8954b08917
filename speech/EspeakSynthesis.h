#pragma once

#include "speech/AudioLevelMeter.h"
#include "speech/EspeakJob.h"
#include "speech/WordEventFilter.h"

#include <espeak-ng/speak_lib.h>
#include <vector>

class EspeakVoiceList;
struct SegmentSettings;

// Speaks one job on the engine thread: every segment with its voice and settings, the
// audio into the voice's queue (waiting while the listener is far behind) or into the
// file stream, each word's events at the sample where espeak-ng starts the word. Stops
// at the next buffer once the queue is purged.
class EspeakSynthesis
{
public:
    EspeakSynthesis(const EspeakJob& job, const EspeakVoiceList& voices, QString& currentVoice);

    void run();
    // Ends the stream without a sound, as when the engine cannot speak at all.
    void endUnspoken();

    // espeak-ng's synthesis callback; the job in progress travels as the user data.
    static int callback(short* wav, int count, espeak_EVENT* events);

private:
    void speakSegments();
    void speakSegment(qsizetype k);
    void speakText(const QString& text, int spokenOffset);
    void speakSpelled(const QString& text, int spokenOffset);
    void speakSilence(int ms);
    void applySettings(const SegmentSettings& settings);
    int take(const short* wav, int count, const espeak_EVENT* events);
    QList<SpeechEvent> wordEvents(const espeak_EVENT& event);
    bool handOn(const qint16* samples, qsizetype count, QList<SpeechEvent> events);
    bool isPurged() const;
    void finish();

    const EspeakJob& m_job;
    const EspeakVoiceList& m_voices;
    QString& m_currentVoice;
    WordEventFilter m_filter;
    AudioLevelMeter m_meter;
    qint64 m_written = 0;     // samples of this stream handed on
    qint64 m_synthBase = 0;   // stream sample where the current espeak_Synth began
    qint64 m_lastSound = 0;   // stream sample after the last one that is not silence
    int m_spokenOffset = 0;   // spoken index of the current espeak_Synth text
    std::vector<int> m_utf16; // code point index -> index in that text, when they differ
    bool m_stopped = false;
    bool m_endPause = false; // the current espeak_Synth ends the Speak after punctuation
};

#pragma once

#include "speech/AudioLevelMeter.h"
#include "speech/SpeechJob.h"
#include "speech/WordEventFilter.h"

// True when text ends (blanks aside) in a mark after which an engine pauses inside a text:
// a sentence end, a comma, colon, semicolon or dash. After a plain blank it does not.
bool EndsWithPausingMark(const QString& text);

// Where one job's audio and events go, for every engine: at the engine's sample rate of the
// playback queue (22050 Hz), into the voice's queue (waiting while the listener is far
// behind) or into the file stream, with the Word and Sentence events of the words the engine
// reports, the audio levels of what is heard and, at the end, the EndStream.
class JobOutput
{
public:
    explicit JobOutput(const SpeechJob& job);

    // False when the job was purged before it began; then nothing else may be called.
    bool Begin();
    // Samples at EngineSampleRate; event samples count from the start of the stream. False
    // once the job is purged (or the queue refused the audio): stop synthesising.
    bool HandOn(const qint16* samples, qsizetype count, QList<SpeechEvent> events);
    bool HandOnSilence(int ms);
    // The events of the word the engine reports at index spokenIndex of the spoken text,
    // due at stream sample.
    QList<SpeechEvent> WordEvents(int spokenIndex, qint64 sample);
    bool IsPurged() const;
    qint64 Written() const { return m_written; }
    // Keeps the first failure for the voice to report at its next call.
    void Fail(const QString& message);
    // Flushes the file stream (unless purged) and ends the stream.
    void Finish();

private:
    const SpeechJob& m_job;
    WordEventFilter m_filter;
    AudioLevelMeter m_meter;
    qint64 m_written = 0;   // samples of this stream handed on
    qint64 m_lastSound = 0; // stream sample after the last one that is not silence
};

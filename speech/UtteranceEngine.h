#pragma once

#include "speech/SpeechJob.h"

#include <QList>
#include <QStringList>
#include <vector>

class JobOutput;
struct SegmentSettings;

// What an engine that speaks a whole text at once returns: its audio and, for each token
// it cut the text into, the token's name and the time its first word starts.
struct SynthesisedText
{
    std::vector<qint16> samples; // 16-bit mono
    int sampleRate = 0;
    QStringList tokenNames;
    QList<double> tokenStarts; // seconds from the start of the audio; negative: no word
};

// An engine in the program that synthesises a text in one piece and then tells where each
// token starts (Flite, Festival). The shared part speaks a job: each segment with its own
// settings, the audio resampled to the playback rate and scaled by the volume, leading
// silence cut and the closing pause kept only after punctuation (so joins between fragments
// pause as the engine would inside one text), each token's Word and Sentence events at the
// sample where its first word starts. Lives on the engine thread.
class UtteranceEngine
{
public:
    virtual ~UtteranceEngine() = default;

    virtual QString Name() const = 0;
    virtual QList<VoiceToken> Voices() const = 0;
    // Why the engine cannot speak, or empty.
    virtual QString Failure() const { return {}; }
    void Speak(const SpeechJob& job);

protected:
    // Throws VemoError when the engine fails.
    virtual SynthesisedText Synthesise(const QString& text, const VoiceToken& voice,
                                       const SegmentSettings& settings) = 0;

private:
    bool SpeakText(JobOutput& output, const QString& text, int spokenOffset, const VoiceToken& voice,
                   const SegmentSettings& settings, bool endPause);
};

// The text as an engine may read it: every control character but line breaks and tabs a
// blank, so that no character of the user's text is taken as a command and positions stay.
QString EngineText(const QString& text);

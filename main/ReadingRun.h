#pragma once

#include "text/Segmentation.h"

#include <QObject>
#include <QString>

class QTimer;
class ReadingView;
class SpeechVoice;

// A reading run: speaks the fragments one after another, each by the voice of its
// language, advancing on a 100 ms timer after the current fragment's end of stream, and
// shows the spoken word and sentence through the view. The state is public because the
// runs that speak into files break off a reading run and reuse the fragment lists.
class ReadingRun : public QObject
{
    Q_OBJECT

public:
    ReadingRun(SpeechVoice& voiceRu, SpeechVoice& voiceEng, ReadingView& view, QObject* parent = nullptr);

    bool Speaking = false;
    bool Paused = false;
    bool StreamEnded = false;
    int FragmentIndex = 0;
    int SpeakFlags = 1;
    int ReadingBase = 0;
    int SentenceStart = 0;
    int SentenceLength = 0;
    QString DigitLang = QStringLiteral("R");
    FragmentLists Fragments;
    // 100 ms; started by Read, stopped by its own tick once the run has ended.
    QTimer* const TimerNextFragment;

    // Splits the region, speaks its first fragment and logs it. A region without a
    // fragment speaks nothing and logs "End!".
    void StartReading(const QString& region);
    void NextFragment();
    void StopReading();
    void PauseReading();
    void ResumeReading();
    // What the file runs do before speaking: resume a paused run, stop it, empty the lists.
    void BreakOff();

    // The voice of fragment FragmentIndex ("E" English, otherwise Russian).
    SpeechVoice& CurrentVoice();
    SpeechVoice& VoiceOf(const QString& lang);

    // One tick of TimerNextFragment.
    void TimerNextFragmentTimer();

    // Voice events; lang is "R" or "E".
    void EndStream();
    void Word(const QString& lang, int characterPosition, int length);
    void Sentence(int characterPosition, int length);
    void AudioLevel(const QString& lang, int level);

private:
    void SpeakCurrent();
    int FragmentStart() const;
    bool HasCurrentFragment() const;

    SpeechVoice& m_voiceRu;
    SpeechVoice& m_voiceEng;
    ReadingView& m_view;
};

#pragma once

#include "text/Segmentation.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTimer;
class ReadingView;
class SpeechVoice;

// A reading run: speaks the fragments one after another, each by the voice of its
// language, advancing on its own 100 ms timer (or at once) after the current fragment's end
// of stream, and shows the spoken word and sentence through the view. The run owns its state
// and its timer; the window asks it to start, pause, resume and stop, and hands it the
// voices' events.
class ReadingRun : public QObject
{
    Q_OBJECT

public:
    // Runs every tick of the timer through guard, so that an error a tick raises (a voice
    // that cannot speak) is shown by the window.
    using Guard = std::function<void(const std::function<void()>&)>;
    ReadingRun(SpeechVoice& voiceRu, SpeechVoice& voiceEng, ReadingView& view, Guard guard,
               QObject* parent = nullptr);

    bool IsSpeaking() const { return m_speaking; }
    bool IsPaused() const { return m_paused; }
    bool IsTicking() const;
    int FragmentIndex() const { return m_fragmentIndex; }
    // How the fragments are spoken: plain text or speech markup.
    int SpeakFlags() const { return m_speakFlags; }
    // The sentence last shown in bold, in the reading's positions.
    int SentenceStart() const { return m_sentenceStart; }
    // Where the region read starts in the whole text.
    int ReadingBase() const;
    // The fragment lists of the last run; the runs into files fill them with their own and
    // count their fragments with SetFragmentIndex.
    FragmentLists& Fragments() { return m_fragments; }
    const FragmentLists& Fragments() const { return m_fragments; }
    void SetFragmentIndex(int index) { m_fragmentIndex = index; }
    // The language read for digits ("R" or "E"), taken from the view at each start.
    QString DigitLang() const { return m_digitLang; }
    void SetDigitLang(const QString& lang) { m_digitLang = lang; }

    // Splits the region (which starts at base in the whole text), speaks its first
    // fragment and logs it. A region without a fragment speaks nothing and logs "End!".
    // When the start fails, the text box is made editable again by the next tick. A long
    // plain text is cut a stretch at a time: the first fragment is spoken after its first
    // stretch, the rest is cut while the program waits for events, and the fragment dump
    // is written when the cut is done.
    void StartReading(const QString& region, int base);
    // The same with the region taken from source as far as the cut has gone; the region's
    // start in the whole text is asked of it when a word or sentence is first shown.
    void StartReading(std::unique_ptr<ReadingSource> source);
    // True while the fragments of the last start are still being cut.
    bool IsCutting() const { return m_cut != nullptr; }
    void PauseReading();
    void ResumeReading();
    // Stops the voice and takes the emphasis away; the text box stays as it is.
    void StopReading();
    // What the file runs do before speaking: resume a paused run, stop it, empty the lists.
    void BreakOff();
    // A file run has the voices: no tick, no reading, and the ends of its streams leave the
    // text box as it is; Release again after it.
    void Hold();
    void Release();

    // Voice events; lang is "R" or "E".
    void EndStream();
    void Word(const QString& lang, int characterPosition, int length);
    void Sentence(int characterPosition, int length);
    void AudioLevel(const QString& lang, int level);

private:
    // The voice of the current fragment ("E" English, otherwise Russian).
    SpeechVoice& CurrentVoice();
    SpeechVoice& VoiceOf(const QString& lang);
    void NextFragment();
    void Tick();
    void SpeakCurrent();
    int FragmentStart() const;
    bool HasCurrentFragment() const;
    // Cuts the next stretch of the text; writes the dump once the cut is done.
    void CutMore();
    void AbandonCut();
    // Empties the fragment lists.
    void DropFragments();
    // Takes the rest of the region and its start from the source before the text box
    // becomes editable.
    void ReleaseText();
    int Base() const;

    SpeechVoice& m_voiceRu;
    SpeechVoice& m_voiceEng;
    ReadingView& m_view;
    Guard m_guard;
    QTimer* const m_timer;
    // Cuts the rest of a long text, a stretch per turn of the event loop.
    QTimer* const m_cutTimer;
    std::unique_ptr<ReadingSource> m_source;
    std::unique_ptr<PlainTextSplitter> m_cut;
    bool m_speaking = false;
    bool m_paused = false;
    bool m_held = false;
    bool m_streamEnded = false;
    int m_fragmentIndex = 0;
    int m_speakFlags = 1;
    mutable int m_readingBase = -1; // -1 until asked of the source
    int m_sentenceStart = 0;
    int m_sentenceLength = 0;
    QString m_digitLang = QStringLiteral("R");
    FragmentLists m_fragments;
};

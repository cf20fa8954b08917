#pragma once

#include "speech/SpeechEvent.h"

#include <QList>

class SpokenText;

// Turns the word positions an engine reports into the Word and Sentence events the
// highlighter can trust. A word is a run of characters up to the next separator; a
// sentence runs from its first word through its final . ! ? (with closing quotes or
// brackets) or to the end of the text. A reported position inside a word stands for
// that word; positions that would not move forward are dropped, so one word (a number
// read in several parts, say) gives one event. Positions count characters of the text
// given to Speak, tags included.
class WordEventFilter
{
public:
    explicit WordEventFilter(const SpokenText& spoken);

    // Sentence (when a new one begins) and Word events for the word that the engine
    // reports at index spokenIndex of the spoken characters; empty when dropped.
    QList<SpeechEvent> EventsForWord(int spokenIndex);
    // The start of every word of the spoken characters, in order.
    QList<int> WordStarts() const;

private:
    int WordStart(int i) const;
    int WordEnd(int i) const;
    int SkipSeparators(int i) const;
    int SentenceEnd(int start) const;
    bool EndsSentenceAt(int i) const;
    SpeechEvent Mapped(SpeechEvent::Kind kind, int start, int end) const;

    const SpokenText& m_spoken;
    int m_lastWordEnd = 0; // end of the word last reported
    int m_sentenceStart = -1;
    int m_sentenceEnd = 0;
};

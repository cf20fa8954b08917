#pragma once

#include <QList>
#include <QString>
#include <functional>

// The subtitles of one sound file: when each word of the text starts in it, written as an
// SRT file (one cue per sentence, with its text) and an LRC file (one line per sentence,
// a time stamp before every word). Times count from the start of the file.
class Subtitles
{
public:
    // text: what is spoken, in which the word positions count; sentences end after ".",
    // "!", "?" or "…" (with closing quotes or brackets) before a blank, and at line breaks.
    explicit Subtitles(const QString& text = {});

    void addWord(int position, int length, double seconds);
    void clear() { m_words.clear(); }
    bool isEmpty() const { return m_words.isEmpty(); }

    // The file's audio lasts `seconds`; the last cue ends there. Each piece of the text is
    // handed to put as it is made, so that a long book's subtitles are never held whole.
    using Sink = std::function<void(const QString& piece)>;
    void srt(double seconds, const Sink& put) const;
    void lrc(double seconds, const Sink& put) const;
    QString srt(double seconds) const;
    QString lrc(double seconds) const;
    // Writes soundFileName with ".srt" and with ".lrc" in place of its extension; throws
    // VemoError naming the file that could not be written.
    void write(const QString& soundFileName, double seconds) const;

private:
    struct Word
    {
        int position = 0;
        int length = 0;
        double seconds = 0;
    };
    // The words of one sentence, in the order they are heard.
    struct Sentence
    {
        qsizetype index = 0; // in the text's sentences
        QList<Word>::const_iterator begin;
        QList<Word>::const_iterator end;
        double start() const { return begin->seconds; }
    };

    // Calls each with every sentence that has a word, in the order they are heard.
    void forEachSentence(const std::function<void(const Sentence&)>& each) const;
    QString sentenceText(const Sentence& sentence) const;
    int sentenceEnd(int from) const;

    QString m_text;
    QList<int> m_starts; // where each sentence of the text starts
    QList<Word> m_words;
};

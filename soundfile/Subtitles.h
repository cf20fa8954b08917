#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// Text laid out where its pieces' offsets place it, blanks between them: the text the word
// positions of a run count in. Read in place, never copied into one string (a later piece
// covers an earlier one where they overlap, as if each were written over the text in turn).
class LaidOutText
{
public:
    LaidOutText() = default;
    explicit LaidOutText(const QString& text) : LaidOutText(QStringList{text}, {0}) {}
    LaidOutText(QStringList texts, const QList<int>& offsets);
    // The fragments of a run: their texts at the positions FragmentOffsets tells.
    static LaidOutText OfFragments(const QStringList& texts, const QStringList& offsets);

    int Size() const { return m_size; }
    QChar At(int i) const;
    QString Mid(int from, int n) const;

private:
    qsizetype PieceAt(int i) const; // the piece that shows at i, or -1 for a blank

    QStringList m_texts;
    std::vector<int> m_offsets;
    std::vector<int> m_reach; // the furthest end of pieces 0..k
    bool m_ordered = true;    // offsets never go back: a piece is found by bisection
    int m_size = 0;
};

// Cue and line writing for subtitles: sentences of a laid-out text, words in the order they
// are heard. The SRT cue of a sentence is put once the next one begins (it ends there), its
// LRC line at once; finish() ends the last cue. Only the sentence being heard is held.
class SubtitleCues
{
public:
    using Sink = std::function<void(const QString& piece)>;
    // text: what is spoken; sentences end after ".", "!", "?" or "…" (with closing quotes or
    // brackets) before a blank, and at line breaks. A sink may be empty.
    SubtitleCues(const LaidOutText& text, Sink srt, Sink lrc);

    void AddWord(int position, int length, double seconds);
    // The audio lasts `seconds`: the last cue ends there (never before it begins).
    void Finish(double seconds);

private:
    struct Word
    {
        int position = 0;
        int length = 0;
        double seconds = 0;
    };

    qsizetype SentenceOf(int position);
    int SentenceStart(qsizetype k);
    int SentenceEnd(int from) const;
    void PutSentence();

    const LaidOutText& m_text;
    Sink m_srt;
    Sink m_lrc;
    QList<int> m_starts;     // where each sentence found so far starts
    bool m_complete = false; // every sentence of the text is in m_starts
    qsizetype m_sentence = -1;
    QList<Word> m_words; // of m_sentence
    qsizetype m_cues = 0;
    double m_pendingFrom = 0; // the SRT cue waiting for its end
    QString m_pendingText;
};

// The subtitles of one sound file: when each word of the text starts in it, written as an
// SRT file (one cue per sentence, with its text) and an LRC file (one line per sentence,
// a time stamp before every word). Times count from the start of the file. Words may be
// added in any order; they are put in the order heard.
class Subtitles
{
public:
    explicit Subtitles(const QString& text = {});

    void AddWord(int position, int length, double seconds);
    void Clear() { m_words.clear(); }
    bool IsEmpty() const { return m_words.isEmpty(); }

    // The file's audio lasts `seconds`; the last cue ends there. Each piece of the text is
    // handed to put as it is made.
    using Sink = SubtitleCues::Sink;
    void Srt(double seconds, const Sink& put) const;
    void Lrc(double seconds, const Sink& put) const;
    QString Srt(double seconds) const;
    QString Lrc(double seconds) const;
    // Writes soundFileName with ".srt" and with ".lrc" in place of its extension; throws
    // VemoError naming the file that could not be written.
    void Write(const QString& soundFileName, double seconds) const;

private:
    struct Word
    {
        int position = 0;
        int length = 0;
        double seconds = 0;
    };
    void Cues(double seconds, const Sink& srt, const Sink& lrc) const;

    LaidOutText m_text;
    QList<Word> m_words;
};

// The subtitles of a sound file written while it is spoken, in pieces of about 64 KiB, so
// that a long book's words are never held: open() starts them beside the sound file under
// temporary names (PartFileNames::TemporaryName), words are added in the order heard, and
// close() ends them and gives them their names (those of the sound file's base name, which
// its WAV and MP3 files share). Left open, they are deleted with the object.
class SubtitleWriter
{
public:
    explicit SubtitleWriter(LaidOutText text) : m_text(std::move(text)) {}
    ~SubtitleWriter();
    SubtitleWriter(const SubtitleWriter&) = delete;
    SubtitleWriter& operator=(const SubtitleWriter&) = delete;

    // Throws VemoError naming the file that cannot be written.
    void Open(const QString& soundFileName);
    bool IsOpen() const { return m_cues != nullptr; }
    void AddWord(int position, int length, double seconds);
    // The file's audio lasts `seconds`; the subtitles take the names of soundFileName's base
    // name. Throws VemoError naming the file that could not be written; the temporary files
    // are gone then.
    void Close(double seconds, const QString& soundFileName);

private:
    struct Output
    {
        QString name;
        QFile file;
        QByteArray buffer;
        bool ok = true;
    };
    void Put(Output& output, const QString& piece);
    void Drain(Output& output);
    void Abandon();

    LaidOutText m_text;
    Output m_srt;
    Output m_lrc;
    std::unique_ptr<SubtitleCues> m_cues;
};

// ".srt" or ".lrc" in place of the sound file's extension.
QString SubtitleFileName(const QString& soundFileName, const QString& extension);

#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <vector>

class QTemporaryFile;
class SpFileStream;

// The fragments of one voice spoken ahead of their turn: into a temporary WAV file beside
// the sound files, at the engine's own rate (so the samples are kept exactly as the engine
// made them), each with the words it reported, until the run places it in the sound file.
// Only one stretch is held at a time; begin() drops the last one. The file goes with the
// object.
//
// The stream the voices speak into lives as long as the process: after a stop or an error
// the engine may still be ending a purged Speak into it, and nothing lets the run wait for
// that. One run at a time holds it; a run started while another holds it speaks in turn
// (isAvailable() false).
class HeldSpeech
{
public:
    // A word as the voice reported it: bytes of its Speak's audio before it, its position
    // in the fragment and its length.
    struct Word
    {
        qint64 streamPosition = 0;
        int position = 0;
        int length = 0;
    };

    explicit HeldSpeech(QString folder);
    ~HeldSpeech();
    HeldSpeech(const HeldSpeech&) = delete;
    HeldSpeech& operator=(const HeldSpeech&) = delete;

    bool IsAvailable() const { return m_available; }
    // Drops what is held and starts a new stretch in a fresh file. Throws VemoError naming
    // the file when it cannot be made.
    void Begin();
    // The stream a voice speaks ahead into.
    SpFileStream& Stream();

    // Fragment `index` is spoken ahead from here on; the words reported meanwhile are its.
    void StartFragment(qsizetype index);
    void AddWord(qint64 streamPosition, int position, int length);
    // Its Speak is complete: it is held. A fragment never ended (stopped) is not.
    void EndFragment();
    bool IsSpeaking() const { return m_speaking; }
    bool Holds(qsizetype index) const;

    // Writes the held audio of fragment `index` into out at its current position and ends
    // it there as the end of a Speak does (the converter drained), so the file gets the
    // very bytes speaking it there would have written. Returns its words. Throws VemoError
    // naming the file that cannot be read.
    QList<Word> Place(qsizetype index, SpFileStream& out);

private:
    struct Fragment
    {
        qsizetype index = -1;
        qint64 start = 0; // byte positions in the held file's data
        qint64 end = 0;
        QList<Word> words;
    };

    const Fragment* Find(qsizetype index) const;

    QString m_folder;
    bool m_available = false;
    std::unique_ptr<QTemporaryFile> m_file;
    std::vector<Fragment> m_fragments; // in the order spoken, which is text order
    bool m_speaking = false;
};

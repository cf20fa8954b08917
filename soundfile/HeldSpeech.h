#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AheadProcess;
class QFile;
class QTemporaryFile;
class SpFileStream;
struct AheadRequest;

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
//
// Or a worker process speaks the stretches announced to it (Announce), one after another,
// while the run speaks the other voice: each announced fragment counts as held, and placing
// it waits until the worker has reported it. A fragment the worker does not deliver is not
// placed, and the run speaks it. The stretches take turns in two files, so the worker can
// speak the next while the run places the last; it never gets further ahead than that.
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
    // Sends a stretch to the worker `program` (started with the first): its fragments count
    // as held from now on. The run announces a stretch once the one two before it is placed.
    void Announce(const QString& program, AheadRequest request);
    // No stretch follows the last one announced.
    void EndAnnouncements();
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
    // very bytes speaking it there would have written. Returns its words; nothing when a
    // worker did not deliver it (keepWaiting is called while the worker is waited for and
    // gives up the wait by returning false). Throws VemoError naming the file that cannot
    // be read.
    std::optional<QList<Word>> Place(qsizetype index, SpFileStream& out,
                                     const std::function<bool()>& keepWaiting = {});

private:
    struct Fragment
    {
        qsizetype index = -1;
        qint64 start = 0; // byte positions in the held file's data
        qint64 end = 0;
        QList<Word> words;
    };

    struct Announced
    {
        QList<qint64> indexes; // ascending
        int file = 0;
    };

    const Fragment* Find(qsizetype index) const;
    const Announced* AnnouncedWith(qsizetype index) const;
    std::optional<QList<Word>> PlaceFromWorker(qsizetype index, SpFileStream& out,
                                               const std::function<bool()>& keepWaiting);
    std::unique_ptr<QTemporaryFile> NewFile() const;
    void Copy(QFile& from, qint64 start, qint64 end, SpFileStream& out);

    QString m_folder;
    bool m_available = false;
    std::unique_ptr<QTemporaryFile> m_file;
    std::vector<Fragment> m_fragments; // in the order spoken, which is text order
    bool m_speaking = false;
    std::unique_ptr<AheadProcess> m_worker;
    std::vector<Announced> m_announced; // not yet placed, in text order
    int m_announcements = 0;
    std::unique_ptr<QTemporaryFile> m_workerFiles[2];
    std::unique_ptr<QFile> m_readers[2];
    bool m_workerFailureTold = false;
};

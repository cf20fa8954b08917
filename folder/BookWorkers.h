#pragma once

#include "soundfile/ToFileArguments.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QProcess;
struct FolderRunSettings;

// How a folder run spreads its books over worker processes: the program re-invoked as
// "PROGRAM --convert-file BOOK --worker-settings FILE", one book per worker, since the
// speech engine is one engine per process. Without a program the run converts every book
// itself.
struct WorkerLaunch
{
    QString program; // the vemo program; empty: no workers
    int jobs = 1;    // books converted at once
    VoiceArguments ru;
    VoiceArguments en;
};

// What became of one book.
struct BookOutcome
{
    bool skipped = false;   // its sound files were complete already
    bool stopped = false;   // Stop To File ended it
    QStringList soundFiles; // finished, in order
    QStringList problems;   // the error that ended it, failed conversions
    qint64 milliseconds = 0;
};

// The settings a worker needs to convert a book exactly as the run would: the sound
// options, the text's reading and the voices, written to a file the workers read.
QByteArray WorkerSettingsJson(const FolderRunSettings& settings, const WorkerLaunch& launch);
// Throws VemoError naming the file when it cannot be read or is not such a file.
void ReadWorkerSettings(const QString& path, FolderRunSettings& settings, WorkerLaunch& launch);

// What a worker prints on standard output for its parent, one JSON object a line.
QByteArray WorkerReport(const BookOutcome& outcome);

// The workers of one folder run. Books are started by index; their outcomes come back as
// the workers end, in any order. A worker that ends without its report (a crash, a kill)
// gives the book a problem naming its exit and the end of its error output.
class BookWorkers
{
public:
    BookWorkers(const FolderRunSettings& settings, const WorkerLaunch& launch);
    ~BookWorkers();
    BookWorkers(const BookWorkers&) = delete;
    BookWorkers& operator=(const BookWorkers&) = delete;

    int Running() const { return int(m_running.size()); }
    void Start(qsizetype index, const QString& textFile);
    // Waits up to ms for a worker to end, letting events run; the books ended since the
    // last call, with their outcomes.
    QList<std::pair<qsizetype, BookOutcome>> TakeEnded(int ms);
    // Asks every worker to stop as Stop To File does (SIGINT): each ends after its fragment.
    void StopAll();

private:
    struct Worker;
    BookOutcome OutcomeOf(Worker& worker) const;

    QString m_settingsFile;
    WorkerLaunch m_launch;
    QList<std::shared_ptr<Worker>> m_running;
};

#pragma once

#include "folder/BookWorkers.h"
#include "folder/RunLog.h"
#include "folder/VideoBatch.h"
#include "soundfile/SoundFileOptions.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class FolderRunHost;
class SpeakToFileHost;
class VideoCommandHost;

// How a folder run makes its sound files and videos: the folder dialog's results and
// controls, and the main window's choices for splitting the text.
struct FolderRunSettings
{
    QString folderName;                         // as accepted; its "*.txt" files are converted
    QStringList formats{QStringLiteral("txt")}; // and the books of these formats (BookFormatNames)
    SoundFileOptions sound;                     // how every book's sound files are made
    bool xml = false;                           // the texts carry speech markup
    QString digitLang = QStringLiteral("R");    // the voice that reads digits
    VideoOptions video;
    bool makeVideos = false;               // run the video batch at the end
    qint64 batchTimeLimitSeconds = 360000; // 100 hours
    bool skipExisting = false;             // pass over books whose sound files are complete and newer
    WorkerLaunch workers;                  // with a program and more than one job: books in worker processes
    // When set, these books instead of the folder's text files, as vemo --convert-file
    // converts one: the run log gets their entries without a start and an end, and the video
    // commands are appended to the folder's batch files (see VideoBatch::SetAppending).
    QStringList books;
};

// A book that could not be read, spoken or converted, and why.
struct BookFailure
{
    QString textFile;
    QString message;
};

// What a folder run did.
struct FolderRunResult
{
    int textFiles = 0;              // found in the folder
    int textFilesSpoken = 0;        // taken up (the last one possibly stopped)
    bool stopped = false;           // Stop To File ended it
    QStringList videoFiles;         // one per video command, in the batch's order
    std::optional<bool> batchRan;   // set when the batch was run: false when it failed or was killed
    int booksSkipped = 0;           // their sound files were complete (skipExisting)
    QList<BookFailure> failedBooks; // in the order of the books
    QStringList failedVideos;       // the videos a batch that ran did not make

    // One line per failed book: its name and why.
    QString FailedBooksText() const;
};

// Converts every text file of a folder, in natural name order, into sound files named
// after it (Base + ".wav", or Base + " " + part number + ".wav" when divided; ".mp3" when
// converted) through the To File run, adds a video command for every finished sound file,
// writes the video batch at the end and, when videos are asked for, runs it and announces
// the outcome by beeps. Stop To File ends the run after the current file; the batch is
// still written. A book that cannot be read, spoken or converted is recorded, told to the
// host's log and passed over; the run goes on with the next. An error of the run itself (a
// character limit that is not a number, a batch file that cannot be written) ends it at
// once: the file stream is closed, the voices get their output streams back, the batch file
// is not written, and the error travels on. Every run appends its course to the run log
// ("vemo-run.log" in the text folder). With skipExisting, a book whose sound files are all
// there, newer than the text, and whose last conversion in the run log was not stopped is
// passed over (its videos are still made when missing), so that a run killed in the middle
// goes on at the first book it did not finish.
class FolderRun
{
public:
    FolderRun(SpeakToFileHost& speaker, FolderRunHost& host, const FolderRunSettings& settings);

    FolderRunResult Run();

    // The text files of a folder, and its books of the formats named, in the order the run
    // takes them.
    static QStringList TextFiles(const QString& folderName,
                                 const QStringList& formats = {QStringLiteral("txt")});

    // Converts one book in this process, as the run converts each; with a batch, every
    // finished sound file gets its video command (its video appended to videoFiles). A worker
    // process converts its book with this, without a batch: its parent adds the commands.
    BookOutcome ConvertBookHere(const QString& textFile, VideoBatch* batch, QStringList* videoFiles);

    // The sound files a complete conversion of the text file gives with these settings
    // (the MP3 files when converting, one per part when divided); text is its text.
    static QStringList SoundFilesOfBook(const QString& textFile, const QString& text,
                                        const FolderRunSettings& settings, bool ownsBaseName = true);

private:
    void ConvertFiles(VideoBatch& batch, FolderRunResult& result);
    void ReportUndecodableNames();
    void ConvertWithWorkers(const QStringList& files, VideoBatch& batch, FolderRunResult& result);
    void ConvertBook(const QString& textFile, VideoBatch& batch, FolderRunResult& result);
    void ConvertTextFile(const QString& textFile, VideoCommandHost& host);
    std::optional<QStringList> SkippedSoundFiles(const QString& textFile);
    void AddVideoCommands(const QString& textFile, const BookOutcome& outcome, VideoBatch& batch,
                          FolderRunResult& result);
    void RecordBook(const QString& textFile, const BookOutcome& outcome, FolderRunResult& result);
    // False for a book whose base name another file of the run's formats keeps: its sound
    // files are then named with its extension.
    bool OwnsBaseName(const QString& textFile);
    void RunBatch(const VideoBatch& batch, FolderRunResult& result);
    void ReportVideos(const VideoBatch& batch, const QString& converterOutput, FolderRunResult& result);
    bool LogsStartAndEnd() const;
    void LogEnd(const FolderRunResult& result);
    void AddToRunLog(const QString& entry);
    void CleanUp();

    SpeakToFileHost& m_speaker;
    FolderRunHost& m_host;
    const FolderRunSettings m_settings;
    RunLog m_runLog;
    bool m_runLogFailed = false;
    QSet<QString> m_stoppedBooks;                  // the run log's books whose last conversion was stopped
    std::optional<QSet<QString>> m_baseNameOwners; // of the folder's files, found when first asked
};

#include "folder/FolderRun.h"

#include "documents/books/BookReader.h"
#include "files/FileNameMatch.h"
#include "files/MessageLanguage.h"
#include "files/SettingsFile.h"
#include "files/TextFileCodec.h"
#include "files/UnitFindFilesSL.h"
#include "folder/BatchRunner.h"
#include "folder/BookWorkers.h"
#include "folder/FolderRunHost.h"
#include "folder/VideoCommandHost.h"
#include "soundfile/KeptOutputStreams.h"
#include "soundfile/PartFileNames.h"
#include "soundfile/SpeakToFileHost.h"
#include "soundfile/SpeakToFileRun.h"
#include "speech/FileVoiceCheck.h"
#include "speech/SpeechVoice.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>

namespace {

// The batch makes its videos one after another: every video file that exists is complete
// but the last one begun.
int VideosMade(const QStringList& videoFiles)
{
    int begun = 0;
    for (const QString& video : videoFiles)
        begun += QFileInfo::exists(video) ? 1 : 0;
    return qMax(0, begun - 1);
}

// What is kept of the converter's output on one video: its last lines, each as a
// terminal would leave it (progress rewritten after a carriage return shows its last state).
QString OutputTail(const QString& output)
{
    constexpr qsizetype MaxLines = 20;
    constexpr qsizetype MaxChars = 4000;
    QStringList lines = output.split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.section(u'\r', -1, -1, QString::SectionSkipEmpty);
    lines.removeAll(QString());
    QString tail = lines.mid(qMax<qsizetype>(0, lines.size() - MaxLines)).join(u'\n');
    return tail.size() > MaxChars ? tail.right(MaxChars) : tail;
}

// The batch's error output; of a very large one only its end, where the last videos are.
QString ReadConverterOutput(QFile& file)
{
    constexpr qint64 MaxBytes = 64LL << 20;
    if (file.size() > MaxBytes)
        file.seek(file.size() - MaxBytes);
    else
        file.seek(0);
    return QString::fromUtf8(file.readAll());
}

// The files whose sound files are named after their base name alone. Two files of one
// base ("tale.txt", "tale.epub") would write the same sound files: the text file keeps the
// name, else the first book in run order; the others are named with their extension
// ("tale.epub.mp3").
QSet<QString> OwnersOfBaseNames(const QStringList& files)
{
    QHash<QString, QString> owners;
    for (const QString& file : files) {
        QString& owner = owners[BookFileBase(file)];
        if (owner.isEmpty() || (file.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) &&
                                !owner.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)))
            owner = file;
    }
    return QSet<QString>(owners.cbegin(), owners.cend());
}

} // namespace

QString FolderRunResult::FailedBooksText() const
{
    QStringList lines;
    for (const BookFailure& failure : failedBooks)
        lines.append(QDir::toNativeSeparators(failure.textFile) + QStringLiteral(": ") + failure.message);
    return lines.join(u'\n');
}

FolderRun::FolderRun(SpeakToFileHost& speaker, FolderRunHost& host, const FolderRunSettings& settings)
    : m_speaker(speaker), m_host(host), m_settings(settings), m_runLog(settings.folderName),
      m_stoppedBooks(settings.skipExisting ? m_runLog.StoppedBooks() : QSet<QString>())
{}

// No folder name means no folder: never the root that "/" alone would name. The files the
// program writes itself (the fragment dump, the error log, the settings files) are never
// books, whichever folder they are in.
QStringList FolderRun::TextFiles(const QString& folderName, const QStringList& formats)
{
    QStringList files;
    if (folderName.isEmpty())
        return files;
    const QStringList masks = BookFileMasks(formats);
    for (const QString& mask : masks)
        FindFilesSL(folderName + u'/', mask, files);
    if (masks.size() > 1)
        std::stable_sort(files.begin(), files.end(), NaturalLess);
    const QStringList own = {FragmentDumpFileName, FragmentDumpCachePath(), LogErrFileName,
                             SettingsFilePath(QStringLiteral("ops.txt")),
                             SettingsFilePath(QStringLiteral("opsDir.txt"))};
    files.removeIf([&own](const QString& file) {
        return std::any_of(own.begin(), own.end(),
                           [&file](const QString& name) { return IsSameFile(file, name); });
    });
    return files;
}

FolderRunResult FolderRun::Run()
{
    RequireFileVoices(m_speaker.VoiceRu(), m_speaker.VoiceEng());
    FolderRunResult result;
    const KeptOutputStreams kept(m_speaker.VoiceRu(), m_speaker.VoiceEng());
    VideoBatch batch(m_settings.folderName, m_settings.video);
    batch.SetAppending(!m_settings.books.isEmpty());
    try {
        ConvertFiles(batch, result);
        batch.WriteVideoBatch();
    } catch (const std::exception& e) {
        CleanUp();
        const auto* error = dynamic_cast<const VemoError*>(&e);
        AddToRunLog(QStringLiteral("end: the run failed: ") +
                    (error ? error->Message() : QString::fromLocal8Bit(e.what())));
        throw;
    }
    RunBatch(batch, result);
    LogEnd(result);
    return result;
}

void FolderRun::ConvertFiles(VideoBatch& batch, FolderRunResult& result)
{
    const QStringList files =
        m_settings.books.isEmpty() ? TextFiles(m_settings.folderName, m_settings.formats) : m_settings.books;
    result.textFiles = int(files.size());
    if (LogsStartAndEnd()) {
        AddToRunLog(QStringLiteral("start: %1, %2 books").arg(m_settings.folderName).arg(files.size()));
        ReportUndecodableNames();
    }
    // The same for every book: a wrong one fails the run, not each book in turn.
    m_settings.sound.PartCharLimit();
    // With a program for them, workers convert every book, also with one job: a speech engine
    // that has spoken one book may time the next a little differently, and the files of a
    // run must not depend on how many jobs it had.
    if (!m_settings.workers.program.isEmpty()) {
        ConvertWithWorkers(files, batch, result);
        return;
    }
    for (const QString& textFile : files) {
        ++result.textFilesSpoken;
        m_host.ShowTextFile(textFile, result.textFilesSpoken, result.textFiles);
        ConvertBook(textFile, batch, result);
        m_speaker.LetMessagesThrough();
        if (m_speaker.StopToFileRequested()) {
            result.stopped = true;
            break;
        }
    }
}

// Up to the number of jobs books are converted at once, each by a worker process. The
// books are recorded (video commands, log entries) in their order, each once the books
// before it are, so that the batch and the log read as those of a run with one job.
void FolderRun::ConvertWithWorkers(const QStringList& files, VideoBatch& batch, FolderRunResult& result)
{
    BookWorkers workers(m_settings, m_settings.workers);
    QMap<qsizetype, BookOutcome> ended;
    qsizetype next = 0;
    qsizetype recorded = 0;
    bool stopping = false;
    while (recorded < files.size() && (!stopping || workers.Running() > 0 || ended.contains(recorded))) {
        while (!stopping && next < files.size() && workers.Running() < m_settings.workers.jobs) {
            const QString& textFile = files.at(next);
            ++result.textFilesSpoken;
            m_host.ShowTextFile(textFile, result.textFilesSpoken, result.textFiles);
            if (const std::optional<QStringList> complete = SkippedSoundFiles(textFile)) {
                BookOutcome skipped;
                skipped.skipped = true;
                skipped.soundFiles = *complete;
                ended.insert(next++, skipped);
                continue;
            }
            workers.Start(next++, textFile);
        }
        for (auto& [index, outcome] : workers.TakeEnded(50))
            ended.insert(index, outcome);
        for (; ended.contains(recorded); ++recorded) {
            const BookOutcome outcome = ended.take(recorded);
            AddVideoCommands(files.at(recorded), outcome, batch, result);
            RecordBook(files.at(recorded), outcome, result);
        }
        m_speaker.LetMessagesThrough();
        if (!stopping && m_speaker.StopToFileRequested()) {
            stopping = true;
            result.stopped = true;
            workers.StopAll();
        }
    }
}

// A text file whose name is not UTF-8 cannot be opened by its name; the user is told about
// each one, in the log pane and the error log, before the run goes on with the others.
void FolderRun::ReportUndecodableNames()
{
    if (m_settings.folderName.isEmpty())
        return;
    for (const QString& mask : BookFileMasks(m_settings.formats)) {
        for (const QString& name : FindUndecodableNames(m_settings.folderName, mask)) {
            const QString line = Say("File \"%1\" in folder \"%2\" was skipped: its name is not UTF-8, "
                                     "rename it",
                                     "Файл «%1» в папке «%2» пропущен: его имя не в UTF-8, "
                                     "переименуйте его")
                                     .arg(name, m_settings.folderName);
            m_host.Log(line);
            LogErr(line);
            AddToRunLog(line);
        }
    }
}

// A book that fails is recorded with why, in the run log and the host's log, and the run
// goes on; only a batch file that cannot be written ends the run from here.
void FolderRun::ConvertBook(const QString& textFile, VideoBatch& batch, FolderRunResult& result)
{
    if (const std::optional<QStringList> complete = SkippedSoundFiles(textFile)) {
        BookOutcome skipped;
        skipped.skipped = true;
        skipped.soundFiles = *complete;
        AddVideoCommands(textFile, skipped, batch, result);
        RecordBook(textFile, skipped, result);
        return;
    }
    RecordBook(textFile, ConvertBookHere(textFile, &batch, &result.videoFiles), result);
}

BookOutcome FolderRun::ConvertBookHere(const QString& textFile, VideoBatch* batch, QStringList* videoFiles)
{
    RequireFileVoices(m_speaker.VoiceRu(), m_speaker.VoiceEng());
    QElapsedTimer clock;
    clock.start();
    VideoCommandHost host(m_speaker, batch, textFile, videoFiles);
    BookOutcome outcome;
    try {
        ConvertTextFile(textFile, host);
    } catch (const BatchFileError&) {
        throw;
    } catch (const VemoError& e) {
        outcome.problems.append(e.Message());
    } catch (const std::exception& e) {
        outcome.problems.append(QString::fromLocal8Bit(e.what()));
    }
    outcome.problems += host.ConversionErrors();
    outcome.soundFiles = host.FinishedFiles();
    outcome.stopped = m_speaker.StopToFileRequested();
    outcome.milliseconds = clock.elapsed();
    return outcome;
}

// The video commands of a book converted elsewhere (by a worker), or passed over: then
// only for the sound files whose video is missing or older, so that the batch makes what
// an interrupted run did not.
void FolderRun::AddVideoCommands(const QString& textFile, const BookOutcome& outcome, VideoBatch& batch,
                                 FolderRunResult& result)
{
    for (const QString& soundFile : outcome.soundFiles) {
        const QString video = PartFileNames::WithoutExtension(soundFile) + batch.VideoExtension();
        const QFileInfo made(video);
        if (outcome.skipped && made.size() > 0 && made.lastModified() >= QFileInfo(soundFile).lastModified())
            continue;
        batch.AddVideoCommand(textFile, soundFile, video);
        result.videoFiles.append(video);
    }
}

void FolderRun::RecordBook(const QString& textFile, const BookOutcome& outcome, FolderRunResult& result)
{
    const QString files = outcome.soundFiles.isEmpty() ? QStringLiteral("no sound file")
                                                       : outcome.soundFiles.join(QStringLiteral(", "));
    if (outcome.skipped) {
        ++result.booksSkipped;
        AddToRunLog(QStringLiteral("book %1%2its sound files are complete: %3")
                        .arg(textFile, RunLog::Skipped, files));
        return;
    }
    const QString seconds = QString::number(double(outcome.milliseconds) / 1000.0, 'f', 1);
    if (outcome.problems.isEmpty()) {
        const QString how = outcome.stopped ? RunLog::Stopped : RunLog::Done;
        AddToRunLog(QStringLiteral("book %1%2%3 s: %4").arg(textFile, how, seconds, files));
        return;
    }
    const QString why = outcome.problems.join(u'\n');
    result.failedBooks.append({textFile, why});
    AddToRunLog(QStringLiteral("book %1%2%3 s (%4): %5").arg(textFile, RunLog::Failed, seconds, files, why));
    m_host.Log(
        Say("Book \"%1\" was not converted: %2", "Книга «%1» не преобразована: %2").arg(textFile, why));
}

QStringList FolderRun::SoundFilesOfBook(const QString& textFile, const QString& text,
                                        const FolderRunSettings& settings, bool ownsBaseName)
{
    const PartFileNames names = PartFileNames::ForTextFile(textFile, ownsBaseName);
    const SoundFileOptions& sound = settings.sound;
    if (!sound.divide)
        return {sound.mp3 ? names.Mp3Name(false, 0) : names.WavName(false, 0)};
    FragmentLists lists;
    SpeakToFileRun::SplitText(text, settings.xml, settings.digitLang, lists);
    const int parts = SpeakToFileRun::CountParts(lists.FragmentTexts, sound.PartCharLimit());
    QStringList files;
    for (int part = 0; part < parts; ++part)
        files.append(sound.mp3 ? names.Mp3Name(true, part) : names.WavName(true, part));
    return files;
}

// The sound files of a book that a conversion finished, none older than the text; nullopt
// when one is missing or older, or when the book's last conversion was stopped. Only a
// divided book is read, to count its parts; one that cannot be read is converted (and its
// error reported) as any other.
std::optional<QStringList> FolderRun::SkippedSoundFiles(const QString& textFile)
{
    if (!m_settings.skipExisting || m_stoppedBooks.contains(textFile))
        return std::nullopt;
    QString text;
    if (m_settings.sound.divide) {
        try {
            text = m_host.LoadText(textFile);
        } catch (const VemoError&) {
            return std::nullopt;
        }
    }
    const QStringList soundFiles = SoundFilesOfBook(textFile, text, m_settings, OwnsBaseName(textFile));
    const QDateTime written = QFileInfo(textFile).lastModified();
    for (const QString& soundFile : soundFiles) {
        const QFileInfo sound(soundFile);
        if (!sound.isFile() || sound.lastModified() < written)
            return std::nullopt;
    }
    return soundFiles;
}

bool FolderRun::OwnsBaseName(const QString& textFile)
{
    // Found from the whole folder, so that a worker given one book names it as the run would.
    if (!m_baseNameOwners) {
        QStringList files;
        for (const QString& file : TextFiles(m_settings.folderName, m_settings.formats))
            files.append(QFileInfo(file).absoluteFilePath());
        m_baseNameOwners = OwnersOfBaseNames(files);
    }
    const QString book = QFileInfo(textFile).absoluteFilePath();
    if (m_baseNameOwners->contains(book))
        return true;
    const QString base = BookFileBase(book);
    return std::none_of(m_baseNameOwners->cbegin(), m_baseNameOwners->cend(),
                        [&](const QString& owner) { return BookFileBase(owner) == base; });
}

void FolderRun::ConvertTextFile(const QString& textFile, VideoCommandHost& host)
{
    const QString text = m_host.LoadText(textFile);
    SpeakToFileSettings settings;
    settings.TakeSoundFileOptions(m_settings.sound);
    settings.album = QFileInfo(QDir::cleanPath(m_settings.folderName)).fileName();
    settings.bookTitle = m_host.BookTitle();
    settings.speakFlags =
        SpeakToFileRun::SplitText(text, m_settings.xml, m_settings.digitLang, m_speaker.Fragments());
    m_speaker.SetFragmentIndex(0);
    SpeakToFileRun run(host, PartFileNames::ForTextFile(textFile, OwnsBaseName(textFile)), settings);
    run.Run();
}

void FolderRun::RunBatch(const VideoBatch& batch, FolderRunResult& result)
{
    if (!m_settings.makeVideos || batch.BatchLines().isEmpty())
        return;
    const QStringList& videos = result.videoFiles;
    // Appending, the folder's batch holds other runs' commands too: this run's own run alone.
    QTemporaryFile ownLines(QDir(m_settings.folderName).filePath(QStringLiteral(".ToVideo-XXXXXX.bat")));
    if (batch.Appending()) {
        if (!ownLines.open())
            throw BatchFileError(QStringLiteral("Cannot write a batch file in %1: %2")
                                     .arg(m_settings.folderName, ownLines.errorString()));
        batch.WriteOwnLines(ownLines.fileName());
    }
    const QString batchFile = batch.Appending() ? ownLines.fileName() : batch.BatchFilePath();
    QTemporaryFile converterOutput(QDir::temp().filePath(QStringLiteral("vemo-videos-XXXXXX.log")));
    if (!converterOutput.open())
        AddToRunLog(QStringLiteral("videos: the converter's output cannot be kept: ") +
                    converterOutput.errorString());
    m_host.ShowVideoProgress(batchFile, 0, int(videos.size()));
    const bool ran = RunBatchAndWait(
        batchFile, m_settings.batchTimeLimitSeconds,
        [this, &videos, &batchFile] {
            m_host.ShowVideoProgress(batchFile, VideosMade(videos), int(videos.size()));
            return m_speaker.StopToFileRequested();
        },
        [this](const QString& line) {
            m_host.Log(line);
            AddToRunLog(QStringLiteral("videos: ") + line);
        },
        converterOutput.isOpen() ? converterOutput.fileName() : QString());
    if (ran)
        m_host.ShowVideoProgress(batchFile, int(videos.size()), int(videos.size()));
    result.batchRan = ran;
    if (!ran)
        AddToRunLog(
            QStringLiteral("videos: %1 could not be run or was ended at its time limit").arg(batchFile));
    else if (m_speaker.StopToFileRequested())
        AddToRunLog(QStringLiteral("videos: %1 goes on by itself after the stop").arg(batchFile));
    else
        ReportVideos(batch, converterOutput.isOpen() ? ReadConverterOutput(converterOutput) : QString(),
                     result);
    m_host.Beep(ran ? 3 : 1);
}

// Every video the batch should have made and did not, with what the converter said on it.
void FolderRun::ReportVideos(const VideoBatch& batch, const QString& converterOutput, FolderRunResult& result)
{
    const QStringList outputs = batch.ConverterOutputs(converterOutput);
    for (qsizetype i = 0; i < result.videoFiles.size(); ++i) {
        const QString& video = result.videoFiles.at(i);
        if (QFileInfo(video).size() > 0)
            continue;
        result.failedVideos.append(video);
        const QString said = OutputTail(outputs.value(i));
        AddToRunLog(QStringLiteral("video %1 was not made; the converter said:\n%2")
                        .arg(video, said.isEmpty() ? QStringLiteral("(nothing)") : said));
    }
    AddToRunLog(QStringLiteral("videos: %1 of %2 made")
                    .arg(result.videoFiles.size() - result.failedVideos.size())
                    .arg(result.videoFiles.size()));
}

bool FolderRun::LogsStartAndEnd() const
{
    return m_settings.books.isEmpty() && !m_settings.folderName.isEmpty() &&
           QFileInfo(m_settings.folderName).isDir();
}

void FolderRun::LogEnd(const FolderRunResult& result)
{
    if (!LogsStartAndEnd())
        return;
    QStringList failed;
    for (const BookFailure& failure : result.failedBooks)
        failed.append(failure.textFile);
    QString entry = QStringLiteral("end: %1 of %2 books taken up, %3 skipped, %4 failed")
                        .arg(result.textFilesSpoken)
                        .arg(result.textFiles)
                        .arg(result.booksSkipped)
                        .arg(failed.size());
    if (!failed.isEmpty())
        entry += QStringLiteral(": ") + failed.join(QStringLiteral(", "));
    if (result.stopped)
        entry += QStringLiteral("; stopped");
    AddToRunLog(entry);
}

// A run log that cannot be written is told once, in the host's log and the error log; the
// run goes on, its sound files being what the user asked for.
void FolderRun::AddToRunLog(const QString& entry)
{
    if (m_runLog.Add(entry) || m_runLogFailed)
        return;
    m_runLogFailed = true;
    const QString line = Say("Log \"%1\" cannot be written: %2", "Журнал «%1» не записывается: %2")
                             .arg(m_runLog.Path(), m_runLog.Failure());
    m_host.Log(line);
    LogErr(line);
}

// After an error: a file stream the error left open is closed, so the WAV written so far
// gets its lengths and no handle stays on it. A failure here would only hide that error.
void FolderRun::CleanUp()
{
    SpFileStream& stream = m_speaker.FileStream();
    if (!stream.IsOpen())
        return;
    try {
        stream.Close();
    } catch (...) {
    }
}

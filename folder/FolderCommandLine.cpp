#include "folder/FolderCommandLine.h"

#include "files/MessageLanguage.h"
#include "files/SettingsFile.h"
#include "files/VemoError.h"
#include "folder/ConsoleFolderHost.h"
#include "folder/FolderArguments.h"
#include "folder/UnattendedStart.h"
#include "soundfile/ConsoleToFileHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>
#include <cstdio>
#include <exception>

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitStopped = 130;
constexpr int WaitSliceMs = 100;

void Print(const QString& line)
{
    ConsoleFolderHost::Print(line);
}

FolderArguments ParseWithKeptSettings(const QString& command, const QStringList& words, bool oneBook = false)
{
    DirSettings kept;
    kept.Load(SettingsFilePath(QStringLiteral("opsDir.txt")));
    return ParseFolderArguments(command, words, kept, oneBook);
}

// A worker of a folder run with more than one job: converts its book as the run would,
// without a log or a batch of its own, and reports to its parent on standard output.
int ConvertAsWorker(const QString& textFile, const QString& settingsFile)
{
    FolderRunSettings settings;
    WorkerLaunch launch;
    ReadWorkerSettings(settingsFile, settings, launch);
    // The run converts launch.jobs books at once, each in a process of its own: a book's
    // encoding takes its share of the cores, not all of them.
    QThreadPool::globalInstance()->setMaxThreadCount(
        qMax(1, QThread::idealThreadCount() / qMax(1, launch.jobs)));
    const QFileInfo book(textFile);
    settings.folderName = QDir::cleanPath(book.absolutePath());
    settings.books = {QDir::cleanPath(book.absoluteFilePath())};
    ConsoleToFileHost speaker(DefaultSpeechEngine());
    speaker.SetUpVoices(launch.ru, launch.en);
    speaker.SetQuiet(true);
    ConsoleFolderHost host(speaker.Progress());
    const BookOutcome outcome =
        FolderRun(speaker, host, settings).ConvertBookHere(settings.books.first(), nullptr, nullptr);
    const QByteArray report = WorkerReport(outcome);
    std::fwrite(report.constData(), 1, size_t(report.size()), stdout);
    std::fflush(stdout);
    return outcome.stopped ? ExitStopped : outcome.problems.isEmpty() ? 0 : ExitFailed;
}

// Every video the batch should have made and did not, named on standard error.
void ReportMissingVideos(const QStringList& videoFiles, ConsoleProgress& progress)
{
    for (const QString& video : videoFiles)
        progress.Error(
            Say("The video %1 was not made.", "Видео %1 не сделано.").arg(QDir::toNativeSeparators(video)));
}

// Says how the run ended and gives its exit status: 1 when a book failed (each named, with
// why) or a video was not made.
int Outcome(const FolderRunSettings& settings, const FolderRunResult& result, ConsoleProgress& progress)
{
    if (!result.failedBooks.isEmpty())
        progress.Error(Say("These books failed:\n", "Эти книги не преобразованы:\n") +
                       result.FailedBooksText());
    if (result.stopped) {
        progress.Line(
            Say("Stopped: the text files after this one are left; a sound file cut short is kept as WAV.",
                "Остановлено: следующие текстовые файлы не тронуты; прерванный звуковой файл "
                "оставлен как WAV."));
        return ExitStopped;
    }
    if (result.textFiles == 0) {
        progress.Line(Say("No *.txt file in %1: nothing to do.", "В %1 нет файлов *.txt: делать нечего.")
                          .arg(QDir::toNativeSeparators(settings.folderName)));
        return 0;
    }
    ReportMissingVideos(result.failedVideos, progress);
    const bool failed = !result.failedBooks.isEmpty() || !result.failedVideos.isEmpty() ||
                        (result.batchRan && !*result.batchRan);
    return failed ? ExitFailed : 0;
}

// The books go to workers that are this program again.
int ConvertOnce(FolderRunSettings settings, ConsoleToFileHost& speaker)
{
    settings.workers.program = QCoreApplication::applicationFilePath();
    ConsoleFolderHost host(speaker.Progress());
    const FolderRunResult result = FolderRun(speaker, host, settings).Run();
    speaker.Progress().Finish();
    return Outcome(settings, result, speaker.Progress());
}

// Runs command, printing the error that ends it; returns its status or 1.
int Reported(const QString& command, const std::function<int()>& action)
{
    try {
        return action();
    } catch (const VemoError& e) {
        Print(e.Message());
    } catch (const std::exception& e) {
        Print(command + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    }
    return ExitFailed;
}

void PauseUnlessStopped(const ConsoleToFileHost& speaker)
{
    for (int waited = 0; waited < UnattendedStart::IntervalMs && !speaker.StopToFileRequested();
         waited += WaitSliceMs) {
        QCoreApplication::processEvents();
        QThread::msleep(WaitSliceMs);
    }
}

void PollOnce(UnattendedStart& start, const FolderRunSettings& settings, ConsoleToFileHost& speaker)
{
    const UnattendedStart::Poll poll = start.Check(settings.folderName, false, [&] {
        speaker.Progress().Line(
            Say("%1 found: converting the folder.", "Найден %1: папка преобразуется.")
                .arg(QDir::toNativeSeparators(UnattendedStart::FlagFilePath(settings.folderName))));
        ConvertOnce(settings, speaker);
    });
    if (poll == UnattendedStart::Poll::FlagKept)
        speaker.Progress().Error(Say("Start.Flag could not be deleted: the folder will be converted again.",
                                     "Start.Flag не удалось удалить: папка будет преобразована снова."));
}

int Watch(const FolderArguments& arguments)
{
    ConsoleToFileHost speaker(DefaultSpeechEngine());
    speaker.SetUpVoices(arguments.ru, arguments.en);
    speaker.SetQuiet(arguments.quiet);
    UnattendedStart start([&speaker](const QString& line) { speaker.Progress().Error(line); });
    speaker.Progress().Line(
        Say("Waiting for %1 (Ctrl+C ends).", "Ожидание %1 (Ctrl+C завершает).")
            .arg(QDir::toNativeSeparators(UnattendedStart::FlagFilePath(arguments.settings.folderName))));
    while (!speaker.StopToFileRequested()) {
        Reported(QStringLiteral("vemo --watch"), [&] {
            PollOnce(start, arguments.settings, speaker);
            return 0;
        });
        PauseUnlessStopped(speaker);
    }
    return 0;
}

} // namespace

int RunConvertFolderMode(const QStringList& words)
{
    const QString command = QStringLiteral("vemo --convert-folder");
    return Reported(command, [&] {
        const FolderArguments arguments = ParseWithKeptSettings(command, words);
        ConsoleToFileHost speaker(DefaultSpeechEngine());
        speaker.SetUpVoices(arguments.ru, arguments.en);
        speaker.SetQuiet(arguments.quiet);
        return ConvertOnce(arguments.settings, speaker);
    });
}

int RunConvertFileMode(const QStringList& words)
{
    const QString command = QStringLiteral("vemo --convert-file");
    return Reported(command, [&] {
        if (words.size() == 3 && words.at(1) == u"--worker-settings")
            return ConvertAsWorker(words.at(0), words.at(2));
        FolderArguments arguments = ParseWithKeptSettings(command, words, true);
        arguments.settings.workers.jobs = 1;
        ConsoleToFileHost speaker(DefaultSpeechEngine());
        speaker.SetUpVoices(arguments.ru, arguments.en);
        speaker.SetQuiet(arguments.quiet);
        return ConvertOnce(arguments.settings, speaker);
    });
}

int RunWatchMode(const QStringList& words)
{
    const QString command = QStringLiteral("vemo --watch");
    return Reported(command, [&] { return Watch(ParseWithKeptSettings(command, words)); });
}

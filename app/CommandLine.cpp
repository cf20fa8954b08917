#include "app/CommandLine.h"

#include "app/ListVoicesMode.h"
#include "app/StartArguments.h"
#include "app/ToFileCommandLine.h"
#include "files/SettingsFile.h"
#include "files/VemoError.h"
#include "folder/DirSettings.h"
#include "folder/FolderArguments.h"
#include "folder/FolderCommandLine.h"
#include "soundfile/AheadWorker.h"
#include "soundfile/ToFileArguments.h"

#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

void CheckToFileWords(const QStringList& words)
{
    ParseToFileArguments(words);
}

// The folder modes read their defaults from "opsDir.txt"; a settings file that cannot be
// read is the mode's own failure, reported when it runs, not a usage error.
void CheckFolderWords(const QString& option, const QStringList& words, bool oneBook = false)
{
    DirSettings kept;
    try {
        kept.Load(SettingsFilePath(QStringLiteral("opsDir.txt")));
    } catch (const VemoError&) {
        return;
    }
    ParseFolderArguments(option, words, kept, oneBook);
}

void CheckConvertFolderWords(const QStringList& words)
{
    CheckFolderWords(QStringLiteral("vemo --convert-folder"), words);
}

// A folder run's worker is checked by the run that starts it.
void CheckConvertFileWords(const QStringList& words)
{
    if (words.size() == 3 && words.at(1) == u"--worker-settings")
        return;
    CheckFolderWords(QStringLiteral("vemo --convert-file"), words, true);
}

void CheckWatchWords(const QStringList& words)
{
    CheckFolderWords(QStringLiteral("vemo --watch"), words);
}

void CheckNoWords(const QStringList& words)
{
    if (!words.isEmpty())
        throw VemoError(Say("vemo --list-voices takes no arguments, not «%1»",
                            "vemo --list-voices не принимает аргументов, а здесь «%1»")
                            .arg(words.first()));
}

// One line per mode: its option, what checks its words (throwing VemoError on a usage
// error), what runs it (given the words after the option) and its part of vemo --help.
struct HeadlessMode
{
    const char* option;
    void (*check)(const QStringList& words);
    int (*run)(const QStringList& words);
    QString (*usage)();
};

const HeadlessMode Modes[] = {
    {"--to-file", CheckToFileWords, RunToFileMode, ToFileUsage},
    {"--convert-folder", CheckConvertFolderWords, RunConvertFolderMode, ConvertFolderUsage},
    {"--convert-file", CheckConvertFileWords, RunConvertFileMode, ConvertFileUsage},
    {"--watch", CheckWatchWords, RunWatchMode, WatchUsage},
    {"--list-voices", CheckNoWords, RunListVoicesMode, ListVoicesUsage},
    // The worker a To File run starts to speak one voice's fragments on another core; it
    // reads its request on standard input and is not meant to be run by hand.
    {"--speak-ahead", [](const QStringList&) {}, [](const QStringList&) { return RunSpeakAheadWorker(); },
     [] { return QString(); }},
};

int RunMode(const HeadlessMode& mode, const QStringList& words)
{
    try {
        mode.check(words);
    } catch (const VemoError& e) {
        std::fprintf(stderr, "%s\n", e.Message().simplified().toLocal8Bit().constData());
        return ExitUsage;
    }
    return mode.run(words);
}

} // namespace

QString HeadlessUsage()
{
    QString usage;
    for (const HeadlessMode& mode : Modes)
        usage += mode.usage();
    return usage;
}

QStringList HeadlessOptions()
{
    QStringList options;
    for (const HeadlessMode& mode : Modes)
        options << QString::fromLatin1(mode.option);
    return options;
}

std::optional<int> RunHeadlessMode(int argc, char* argv[])
{
    if (argc < 2)
        return std::nullopt;
    for (const HeadlessMode& mode : Modes) {
        if (std::strcmp(argv[1], mode.option) != 0)
            continue;
        // Past a file size limit a write fails with an error the mode reports, instead of
        // the signal ending the process without a word.
        std::signal(SIGXFSZ, SIG_IGN);
        // No window opens: the offscreen platform serves the documents and fonts.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Vemo"));
        QGuiApplication::setApplicationVersion(QStringLiteral(VEMO_VERSION));
        SetSpeakAheadProgram(QCoreApplication::applicationFilePath());
        return RunMode(mode, QGuiApplication::arguments().mid(2));
    }
    return std::nullopt;
}

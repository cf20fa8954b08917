#include "app/CommandLine.h"

#include "app/ListVoicesCommand.h"
#include "app/StartArguments.h"
#include "app/ToFileCommandLine.h"
#include "files/SettingsFile.h"
#include "files/VemoError.h"
#include "folder/DirSettings.h"
#include "folder/FolderArguments.h"
#include "folder/FolderCommandLine.h"
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

// The folder commands read their defaults from "opsDir.txt"; a settings file that cannot be
// read is the command's own failure, reported when it runs, not a usage error.
void CheckFolderWords(const QString& command, const QStringList& words, bool oneBook = false)
{
    DirSettings kept;
    try {
        kept.Load(SettingsFilePath(QStringLiteral("opsDir.txt")));
    } catch (const VemoError&) {
        return;
    }
    ParseFolderArguments(command, words, kept, oneBook);
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

// One line per command: its option, what checks its words (throwing VemoError on a usage
// error), what runs it (given the words after the option) and its part of vemo --help.
struct HeadlessCommand
{
    const char* option;
    void (*check)(const QStringList& words);
    int (*run)(const QStringList& words);
    QString (*usage)();
};

const HeadlessCommand Commands[] = {
    {"--to-file", CheckToFileWords, RunToFileCommand, ToFileUsage},
    {"--convert-folder", CheckConvertFolderWords, RunConvertFolderCommand, ConvertFolderUsage},
    {"--convert-file", CheckConvertFileWords, RunConvertFileCommand, ConvertFileUsage},
    {"--watch", CheckWatchWords, RunWatchCommand, WatchUsage},
    {"--list-voices", CheckNoWords, RunListVoicesCommand, ListVoicesUsage},
};

int RunCommand(const HeadlessCommand& command, const QStringList& words)
{
    try {
        command.check(words);
    } catch (const VemoError& e) {
        std::fprintf(stderr, "%s\n", e.message().simplified().toLocal8Bit().constData());
        return ExitUsage;
    }
    return command.run(words);
}

} // namespace

QString HeadlessUsage()
{
    QString usage;
    for (const HeadlessCommand& command : Commands)
        usage += command.usage();
    return usage;
}

QStringList HeadlessOptions()
{
    QStringList options;
    for (const HeadlessCommand& command : Commands)
        options << QString::fromLatin1(command.option);
    return options;
}

std::optional<int> RunHeadlessCommand(int argc, char* argv[])
{
    if (argc < 2)
        return std::nullopt;
    for (const HeadlessCommand& command : Commands) {
        if (std::strcmp(argv[1], command.option) != 0)
            continue;
        // Past a file size limit a write fails with an error the command reports, instead of
        // the signal ending the process without a word.
        std::signal(SIGXFSZ, SIG_IGN);
        // No window opens: the offscreen platform serves the documents and fonts.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Vemo"));
        QGuiApplication::setApplicationVersion(QStringLiteral(VEMO_VERSION));
        return RunCommand(command, QGuiApplication::arguments().mid(2));
    }
    return std::nullopt;
}

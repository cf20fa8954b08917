#include "app/CommandLine.h"

#include "app/HelpCommand.h"
#include "app/ListVoicesCommand.h"
#include "app/ToFileCommandLine.h"
#include "folder/FolderArguments.h"
#include "folder/FolderCommandLine.h"
#include "soundfile/ToFileArguments.h"

#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstring>

namespace {

// One line per command: its option, what runs it (given the words after the option) and
// its part of vemo --help.
struct HeadlessCommand
{
    const char* option;
    int (*run)(const QStringList& words);
    QString (*usage)();
};

const HeadlessCommand Commands[] = {
    {"--to-file", RunToFileCommand, ToFileUsage},
    {"--convert-folder", RunConvertFolderCommand, ConvertFolderUsage},
    {"--watch", RunWatchCommand, WatchUsage},
    {"--list-voices", RunListVoicesCommand, ListVoicesUsage},
    {"--help", RunHelpCommand, HelpUsage},
};

} // namespace

QString HeadlessUsage()
{
    QString usage;
    for (const HeadlessCommand& command : Commands)
        usage += command.usage();
    return usage;
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
        return command.run(QGuiApplication::arguments().mid(2));
    }
    return std::nullopt;
}

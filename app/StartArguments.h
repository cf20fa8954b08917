#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Decided before any QApplication exists, so that --help,
// --version and usage errors need no display and never open the window.
struct StartRequest
{
    enum class Action
    {
        Window,
        Help,
        Version,
        Headless,
        UsageError
    };
    Action action = Action::Window;
    QString fileName; // Window: the file to open, as given; empty for none
    QString error;    // UsageError: one line naming the wrong argument
};

// Exit status of a usage error: an unknown option, a wrong value, a missing or extra argument.
constexpr int ExitUsage = 2;

// arguments: the whole command line, program name first. headlessOptions: the options that
// start a headless mode (--to-file, ...); they count only as the first argument, and the
// mode's own parser reads the rest. The window also takes the toolkit's display options
// (-platform, -style, -display, ...). Messages are in Russian when russian is set.
StartRequest ParseStartArguments(const QStringList& arguments, const QStringList& headlessOptions,
                                 bool russian);

#include "files/MessageLanguage.h"

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Runs the headless mode that argv[1] names (--to-file, --list-voices, ...) and returns its
// exit status (2 when its arguments are wrong, said in one line on standard error); nullopt
// when argv[1] names none, so the windows start.
std::optional<int> RunHeadlessMode(int argc, char* argv[]);

// The options that start a headless mode, and every headless mode's usage, in the
// order of the table of modes.
QStringList HeadlessOptions();
QString HeadlessUsage();

#pragma once

#include <QString>
#include <optional>

// Runs the headless command that argv[1] names (--to-file, --list-voices, --help, ...) and
// returns its exit status; nullopt when argv[1] names none, so the windows start.
std::optional<int> RunHeadlessCommand(int argc, char* argv[]);

// Every headless command's usage, in the order of the command table.
QString HeadlessUsage();

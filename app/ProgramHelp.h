#pragma once

#include <QString>

// The texts of vemo --help (how to start the program and every headless mode) and
// vemo --version, in Russian or in English.
QString ProgramHelp(bool russian);
QString ProgramVersion(bool russian);

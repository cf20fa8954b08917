#pragma once

#include <QString>
#include <QStringList>

// vemo --help: how to start the program and every headless command.
int RunHelpCommand(const QStringList& words);
QString HelpUsage();

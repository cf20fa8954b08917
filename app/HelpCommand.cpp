#include "app/HelpCommand.h"

#include "app/CommandLine.h"

#include <cstdio>

int RunHelpCommand(const QStringList&)
{
    const QString text =
        QStringLiteral("Вемо - синтезатор двуязычной речи (a reader of Russian and English text).\n\n"
                       "vemo [FILE]\n"
                       "    Opens the main window, with the text of FILE when one is given.\n") +
        HeadlessUsage();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

QString HelpUsage()
{
    return QStringLiteral("vemo --help\n    Shows this text.\n");
}

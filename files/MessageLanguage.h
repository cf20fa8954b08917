#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

// The language of the program's messages. On the command line it is Russian when the user's
// messages locale (LC_ALL, else LC_MESSAGES, else LANG) is Russian, else English, so that
// everything one run writes to a stream is in one language. The window, whose controls speak
// Russian, sets VEMO_MESSAGES=ru for itself and for the workers it starts, so that its
// error boxes and log lines, and what its workers report into them, are Russian too.
inline bool MessagesInRussian()
{
    const QByteArray chosen = qgetenv("VEMO_MESSAGES");
    if (chosen == "ru")
        return true;
    if (chosen == "en")
        return false;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return QLocale(name.section(QLatin1Char('.'), 0, 0)).language() == QLocale::Russian;
    }
    return false;
}

// Makes this process and the processes it starts speak Russian whatever the locale.
inline void KeepMessagesInRussian()
{
    qputenv("VEMO_MESSAGES", "ru");
}

// english or russian (both UTF-8), as MessagesInRussian() chooses.
inline QString Say(const char* english, const char* russian)
{
    return QString::fromUtf8(MessagesInRussian() ? russian : english);
}

#include "files/MessageLanguage.h"

#include <QLocale>

bool MessagesInRussian()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return QLocale(name.section(QLatin1Char('.'), 0, 0)).language() == QLocale::Russian;
    }
    return false;
}

QString Say(const char* english, const char* russian)
{
    return QString::fromUtf8(MessagesInRussian() ? russian : english);
}

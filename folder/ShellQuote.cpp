#include "folder/ShellQuote.h"

QString ShellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', QLatin1String("'\\''"));
    return u'\'' + quoted + u'\'';
}

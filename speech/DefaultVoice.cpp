#include "speech/DefaultVoice.h"

#include <QStringList>

qsizetype DefaultVoiceIndex(const QList<VoiceToken>& voices, const QString& language)
{
    QStringList preferred{language};
    if (language.compare(u"en", Qt::CaseInsensitive) == 0)
        preferred = {QStringLiteral("en-gb"), QStringLiteral("en-us"), language};
    for (const QString& wanted : preferred) {
        for (qsizetype i = 0; i < voices.size(); ++i) {
            if (voices.at(i).language.compare(wanted, Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    for (qsizetype i = 0; i < voices.size(); ++i) {
        if (voices.at(i).language.startsWith(language + u'-', Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

#include "text/LineBreaks.h"

QString ReplaceAll(const QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    qsizetype hit = text.indexOf(find);
    if (hit < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (; hit >= 0; hit = text.indexOf(find, from)) {
        out += QStringView(text).mid(from, hit - from);
        out += replacement;
        from = hit + find.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

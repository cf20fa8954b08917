#include "text/LineBreaks.h"

QString NormalizeLineBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

QString ReplaceAll(const QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype hit = text.indexOf(find, from); hit >= 0; hit = text.indexOf(find, from)) {
        out += QStringView(text).mid(from, hit - from);
        out += replacement;
        from = hit + find.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

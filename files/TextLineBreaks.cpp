#include "files/TextLineBreaks.h"

namespace {

// Length of the line break at i (2 for CR LF, 1 for a lone CR or LF), 0 for no break.
qsizetype BreakLength(const QChar* data, qsizetype n, qsizetype i)
{
    if (data[i] == u'\r')
        return i + 1 < n && data[i + 1] == u'\n' ? 2 : 1;
    return data[i] == u'\n' ? 1 : 0;
}

bool AllBreaksAreCrLf(const QChar* data, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype len = BreakLength(data, n, i);
        if (len == 1)
            return false;
        i += len > 0 ? len - 1 : 0;
    }
    return true;
}

} // namespace

QString NormalizeLineBreaks(const QString& text)
{
    const QChar* data = text.constData();
    const qsizetype n = text.size();
    if (AllBreaksAreCrLf(data, n))
        return text;
    QString out;
    out.reserve(n + n / 16);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype len = BreakLength(data, n, i);
        if (len == 0)
            continue;
        out.append(data + runStart, i - runStart);
        out += u"\r\n";
        i += len - 1;
        runStart = i + 1;
    }
    out.append(data + runStart, n - runStart);
    return out;
}

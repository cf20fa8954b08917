#include "texttools/DocumentText.h"

namespace {

bool IsDocumentBreak(QChar c)
{
    // U+FDD0 and U+FDD1 open and close a frame (a table, for instance).
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QChar(0xfdd0) ||
           c == QChar(0xfdd1);
}

} // namespace

QString DocumentTextToCrLf(const QString& rawText)
{
    QString out;
    out.reserve(rawText.size() + rawText.size() / 16);
    for (const QChar c : rawText) {
        if (IsDocumentBreak(c))
            out += u"\r\n";
        else
            out += c;
    }
    return out;
}

QString CrLfToDocumentText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QChar::ParagraphSeparator;
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QChar::ParagraphSeparator;
        } else {
            out += c;
        }
    }
    return out;
}

#include "speech/TokenAlignment.h"

namespace {

// How many whitespace-separated chunks ahead a token's name is looked for.
constexpr int ChunksAhead = 3;

// The end of the chunk-th chunk of text from position from (chunks counted from 1).
qsizetype EndOfChunks(const QString& text, qsizetype from, int chunks)
{
    qsizetype i = from;
    for (int c = 0; c < chunks && i < text.size(); ++c) {
        while (i < text.size() && text.at(i).isSpace())
            ++i;
        while (i < text.size() && !text.at(i).isSpace())
            ++i;
    }
    return i;
}

} // namespace

QList<int> AlignTokens(const QString& text, const QStringList& names)
{
    QList<int> positions;
    positions.reserve(names.size());
    qsizetype from = 0;
    for (const QString& name : names) {
        if (name.isEmpty()) {
            positions.append(-1);
            continue;
        }
        const qsizetype end = EndOfChunks(text, from, ChunksAhead);
        const qsizetype at = QStringView(text).left(end).indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0 || at + name.size() > end) {
            positions.append(-1);
            continue;
        }
        positions.append(int(at));
        from = at + name.size();
    }
    return positions;
}

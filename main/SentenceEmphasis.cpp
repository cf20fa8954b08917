#include "main/SentenceEmphasis.h"

#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace SentenceEmphasis {

void Set(QTextDocument& document, int from, int to, bool bold)
{
    if (to <= from)
        return;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        QList<QTextLayout::FormatRange> ranges;
        if (bold) {
            QTextLayout::FormatRange range;
            range.start = qMax(0, from - block.position());
            range.length = qMin(block.length() - 1, to - block.position()) - range.start;
            range.format.setFontWeight(QFont::Bold);
            if (range.length > 0)
                ranges << range;
        }
        QTextLayout* layout = block.layout();
        if (layout->formats().isEmpty() && ranges.isEmpty())
            continue;
        layout->setFormats(ranges);
        document.markContentsDirty(block.position(), block.length());
    }
}

bool IsEmphasised(const QTextDocument& document, int position)
{
    const QTextBlock block = document.findBlock(position);
    if (!block.isValid())
        return false;
    const int inBlock = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (inBlock >= range.start && inBlock < range.start + range.length &&
            range.format.fontWeight() > QFont::Normal)
            return true;
    }
    return false;
}

} // namespace SentenceEmphasis

#include "main/SentenceEmphasis.h"

#include <QList>
#include <QPointF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Lays the block's lines out again where they stood, now with its new formats. A block that
// was never laid out is left to the document's layout, which takes the formats as they are.
// When the lines would break differently, the document lays the block out itself.
void RelayoutInPlace(QTextDocument& document, const QTextBlock& block)
{
    QTextLayout* layout = block.layout();
    const int lines = layout->lineCount();
    if (lines == 0)
        return;
    QList<QPointF> positions;
    QList<qreal> widths;
    QList<int> starts;
    for (int i = 0; i < lines; ++i) {
        positions << layout->lineAt(i).position();
        widths << layout->lineAt(i).width();
        starts << layout->lineAt(i).textStart();
    }
    const QPointF origin = layout->position();
    layout->beginLayout();
    bool same = true;
    for (int i = 0;; ++i) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        if (i >= lines) {
            same = false;
            line.setLineWidth(widths.constLast());
            continue;
        }
        line.setLineWidth(widths.at(i));
        line.setPosition(positions.at(i));
        same = same && line.textStart() == starts.at(i);
    }
    layout->endLayout();
    layout->setPosition(origin);
    if (!same || layout->lineCount() != lines)
        document.markContentsDirty(block.position(), block.length());
}

} // namespace

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
        RelayoutInPlace(document, block);
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

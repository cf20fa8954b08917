#include "main/SentenceEmphasis.h"

#include <QAbstractTextDocumentLayout>
#include <QList>
#include <QPointF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Where the document's layout placed one line of a block.
struct LineGeometry
{
    QPointF position;
    qreal width = 0;
    qreal height = 0;
    int textStart = 0;
    bool leadingIncluded = false;
};

QList<LineGeometry> LinesOf(const QTextLayout& layout)
{
    QList<LineGeometry> lines;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        lines << LineGeometry{line.position(), line.width(), line.height(), line.textStart(),
                              line.leadingIncluded()};
    }
    return lines;
}

// Lays the block's lines out again where the document had placed them, now with the new
// formats, and has the text box repaint the block. Setting formats drops a layout's lines,
// so their geometry is taken before. Returns false when the lines break or stand
// differently with the new formats: then only the document's layout can place the block
// and the blocks after it.
bool RelayoutInPlace(QTextLayout& layout, const QList<LineGeometry>& lines)
{
    const QPointF origin = layout.position();
    layout.beginLayout();
    bool same = true;
    for (qsizetype i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        const LineGeometry& was = lines.at(qMin(i, lines.size() - 1));
        line.setLeadingIncluded(was.leadingIncluded);
        line.setLineWidth(was.width);
        line.setPosition(was.position);
        same = same && i < lines.size() && line.textStart() == was.textStart &&
               qFuzzyCompare(line.height(), was.height);
    }
    layout.endLayout();
    layout.setPosition(origin);
    return same && layout.lineCount() == lines.size();
}

} // namespace

namespace SentenceEmphasis {

void Set(QTextDocument& document, int from, int to, bool bold)
{
    if (to <= from)
        return;
    QAbstractTextDocumentLayout* documentLayout = document.documentLayout();
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
        // A block the document has not laid out yet takes the formats when it is.
        const QList<LineGeometry> lines = LinesOf(*layout);
        layout->setFormats(ranges);
        if (lines.isEmpty())
            continue;
        if (RelayoutInPlace(*layout, lines))
            emit documentLayout->update(documentLayout->blockBoundingRect(block));
        else
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

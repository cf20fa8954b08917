#include "documents/DocumentTextReader.h"

#include <algorithm>

DocumentTextReader::DocumentTextReader(const QTextDocument& document, int from)
    : m_document(&document), m_revision(document.revision()), m_characters(document.characterCount())
{
    m_position = std::clamp(from, 0, TextLength(document));
    m_block = document.findBlock(m_position);
    m_offset = m_block.isValid() ? m_position - m_block.position() : 0;
}

bool DocumentTextReader::DocumentChanged() const
{
    return !m_document || m_document->revision() != m_revision ||
           m_document->characterCount() != m_characters;
}

bool DocumentTextReader::Read(qsizetype characters, PositionMap& map, QString* programText)
{
    if (DocumentChanged())
        m_block = QTextBlock();
    qsizetype read = 0;
    while (m_block.isValid() && read < characters) {
        const QString text = m_block.text();
        const QTextBlock next = m_block.next();
        QStringView rest = QStringView(text).sliced(std::min<qsizetype>(m_offset, text.size()));
        map.Append(rest, programText);
        read += rest.size();
        if (next.isValid()) {
            const QChar end = QChar::ParagraphSeparator;
            map.Append(QStringView(&end, 1), programText);
            ++read;
        }
        m_block = next;
        m_offset = 0;
    }
    m_position += static_cast<int>(read);
    return m_block.isValid();
}

int DocumentTextReader::ProgramPosition(const QTextDocument& document, int documentPosition)
{
    const int d = std::clamp(documentPosition, 0, TextLength(document));
    return d + BreaksBetween(document, 0, d);
}

int DocumentTextReader::BreaksBetween(const QTextDocument& document, int from, int to)
{
    from = std::clamp(from, 0, TextLength(document));
    to = std::clamp(to, from, TextLength(document));
    const QTextBlock first = document.findBlock(from);
    const QTextBlock last = document.findBlock(to);
    // Each block from the first up to the last ends in a break; the line separators inside
    // the blocks are breaks as well.
    int breaks = last.blockNumber() - first.blockNumber();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        const QString text = block.text();
        const qsizetype begin = block == first ? from - block.position() : 0;
        const qsizetype end = block == last ? to - block.position() : text.size();
        breaks += static_cast<int>(
            std::count_if(text.cbegin() + begin, text.cbegin() + end, &PositionMap::IsDocumentBreak));
        if (block == last)
            break;
    }
    return breaks;
}

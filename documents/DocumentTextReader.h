#pragma once

#include "documents/PositionMap.h"

#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>

// Reads a text document's characters from a position on, a stretch of whole blocks at a
// time, into a position map and, when asked, as the program's text (every break CR LF): a
// long document is taken in as far as it is needed instead of copied whole. A document
// ends every block but the last with a break character (paragraph separator or a frame's
// mark), so each block's end is read as a break.
class DocumentTextReader
{
public:
    DocumentTextReader() = default;
    DocumentTextReader(const QTextDocument& document, int from);

    // Reads on until at least characters more document characters are read or the
    // document's end is, adds them to map (which must end where the reader stands) and
    // appends their program text to programText when given. False once nothing is left; also
    // when the document has changed or is gone since the reader began, since the rest can
    // then no longer be read as the text it was.
    bool Read(qsizetype characters, PositionMap& map, QString* programText = nullptr);
    bool AtEnd() const { return !m_block.isValid(); }
    // The document position the next character is read from.
    int Position() const { return m_position; }
    // True when the document was edited, cleared or deleted since the reader began.
    bool DocumentChanged() const;

    // The program position of a document position, counted over the blocks before it: the
    // cost grows with the position, not with the document.
    static int ProgramPosition(const QTextDocument& document, int documentPosition);
    // The breaks among the document's characters from from up to (not including) to: the
    // cost grows with the distance between the two.
    static int BreaksBetween(const QTextDocument& document, int from, int to);
    // The length of the document's text (its last block's end not counted).
    static int TextLength(const QTextDocument& document) { return document.characterCount() - 1; }

private:
    QPointer<const QTextDocument> m_document;
    QTextBlock m_block;
    int m_offset = 0;
    int m_position = 0;
    int m_revision = 0;
    int m_characters = 0;
};

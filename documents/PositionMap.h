#pragma once

#include <QList>
#include <QString>

// Converts between the program's text positions, where a line break is CR LF and counts two,
// and the positions of a text document, where a paragraph break counts one. Built once from
// the document's text; each conversion is a binary search over the line breaks.
class PositionMap
{
public:
    PositionMap() = default;
    // documentText: the document's characters, paragraph and line separators included.
    explicit PositionMap(const QString& documentText);

    // The document's text with every break written as CR LF.
    QString ProgramText() const { return m_programText; }
    int DocumentLength() const { return m_documentLength; }
    int ProgramLength() const { return m_documentLength + static_cast<int>(m_breaks.size()); }

    int ToProgram(int documentPosition) const;
    // A position on the LF of a CR LF pair maps to the break itself. Out-of-range positions
    // are clamped to the text.
    int ToDocument(int programPosition) const;

    // True for the characters a document uses to end a paragraph or a line.
    static bool IsDocumentBreak(QChar c);

private:
    QList<int> m_breaks;        // document positions of the breaks, ascending
    QList<int> m_programBreaks; // program position of the CR of each break
    QString m_programText;
    int m_documentLength = 0;
};

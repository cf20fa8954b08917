#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Converts between the program's text positions, where a line break is CR LF and counts two,
// and the positions of a text document, where a paragraph break counts one. A map covers the
// document from a start position on and grows as the text after it is appended, so that a
// long document can be mapped a stretch at a time; each conversion is a binary search over
// the line breaks.
class PositionMap
{
public:
    PositionMap() = default;
    // The whole document from its start. documentText: the document's characters, paragraph
    // and line separators included.
    explicit PositionMap(const QString& documentText);
    // An empty map of the document from documentStart on, a position whose program position
    // is programStart.
    PositionMap(int documentStart, int programStart);

    // Extends the map by the document text that follows what it covers, and appends that
    // text with every break written as CR LF to programText when one is given.
    void Append(QStringView documentText, QString* programText = nullptr);

    // The document's text with every break written as CR LF (the whole-text map only).
    QString ProgramText() const { return m_programText; }
    int DocumentStart() const { return m_documentStart; }
    int DocumentEnd() const { return m_documentEnd; }
    int ProgramStart() const { return m_programStart; }
    int ProgramEnd() const { return m_programStart + (m_documentEnd - m_documentStart) + BreakCount(); }
    int DocumentLength() const { return m_documentEnd - m_documentStart; }
    int ProgramLength() const { return ProgramEnd() - m_programStart; }

    int ToProgram(int documentPosition) const;
    // A position on the LF of a CR LF pair maps to the break itself. Positions outside the
    // text covered are clamped to it.
    int ToDocument(int programPosition) const;

    // True for the characters a document uses to end a paragraph or a line.
    static bool IsDocumentBreak(QChar c);

private:
    int BreakCount() const { return static_cast<int>(m_breaks.size()); }

    QList<int> m_breaks;        // document positions of the breaks, ascending
    QList<int> m_programBreaks; // program position of the CR of each break
    QString m_programText;
    int m_documentStart = 0;
    int m_documentEnd = 0;
    int m_programStart = 0;
};

#include "documents/PositionMap.h"

#include <algorithm>

bool PositionMap::IsDocumentBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x2029: // paragraph separator
    case 0x2028: // line separator
    case 0xfdd0: // beginning of a frame
    case 0xfdd1: // end of a frame
    case u'\n':
    case u'\r':
        return true;
    default:
        return false;
    }
}

PositionMap::PositionMap(const QString& documentText)
{
    m_programText.reserve(documentText.size() + documentText.size() / 16);
    Append(documentText, &m_programText);
}

PositionMap::PositionMap(int documentStart, int programStart)
    : m_documentStart(documentStart), m_documentEnd(documentStart), m_programStart(programStart)
{}

void PositionMap::Append(QStringView documentText, QString* programText)
{
    // The characters between two breaks are copied as one run.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < documentText.size(); ++i) {
        if (!IsDocumentBreak(documentText.at(i)))
            continue;
        const int breakAt = m_documentEnd + static_cast<int>(i);
        m_programBreaks.append(m_programStart + (breakAt - m_documentStart) + BreakCount());
        m_breaks.append(breakAt);
        if (programText) {
            programText->append(documentText.sliced(runStart, i - runStart));
            programText->append(u"\r\n");
        }
        runStart = i + 1;
    }
    if (programText)
        programText->append(documentText.sliced(runStart));
    m_documentEnd += static_cast<int>(documentText.size());
}

int PositionMap::ToProgram(int documentPosition) const
{
    const int d = std::clamp(documentPosition, m_documentStart, m_documentEnd);
    const auto before = std::lower_bound(m_breaks.cbegin(), m_breaks.cend(), d) - m_breaks.cbegin();
    return m_programStart + (d - m_documentStart) + static_cast<int>(before);
}

int PositionMap::ToDocument(int programPosition) const
{
    const int p = std::clamp(programPosition, m_programStart, ProgramEnd());
    const auto before =
        std::lower_bound(m_programBreaks.cbegin(), m_programBreaks.cend(), p) - m_programBreaks.cbegin();
    return m_documentStart + (p - m_programStart) - static_cast<int>(before);
}

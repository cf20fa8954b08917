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
    : m_documentLength(static_cast<int>(documentText.size()))
{
    m_programText.reserve(documentText.size() + documentText.size() / 16);
    for (qsizetype i = 0; i < documentText.size(); ++i) {
        const QChar c = documentText.at(i);
        if (!IsDocumentBreak(c)) {
            m_programText.append(c);
            continue;
        }
        m_breaks.append(static_cast<int>(i));
        m_programBreaks.append(static_cast<int>(m_programText.size()));
        m_programText.append(u"\r\n");
    }
}

int PositionMap::ToProgram(int documentPosition) const
{
    const int d = std::clamp(documentPosition, 0, m_documentLength);
    const auto before = std::lower_bound(m_breaks.cbegin(), m_breaks.cend(), d) - m_breaks.cbegin();
    return d + static_cast<int>(before);
}

int PositionMap::ToDocument(int programPosition) const
{
    const int p = std::clamp(programPosition, 0, ProgramLength());
    const auto before =
        std::lower_bound(m_programBreaks.cbegin(), m_programBreaks.cend(), p) - m_programBreaks.cbegin();
    return p - static_cast<int>(before);
}

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
    // The characters between two breaks are copied as one run.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < documentText.size(); ++i) {
        if (!IsDocumentBreak(documentText.at(i)))
            continue;
        m_programText.append(QStringView(documentText).sliced(runStart, i - runStart));
        m_breaks.append(static_cast<int>(i));
        m_programBreaks.append(static_cast<int>(m_programText.size()));
        m_programText.append(u"\r\n");
        runStart = i + 1;
    }
    m_programText.append(QStringView(documentText).sliced(runStart));
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

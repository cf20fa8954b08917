#include "text/rtf/RtfColorTable.h"

#include <algorithm>

void RtfColorTable::OnKeyword(RtfKeyword keyword, int param)
{
    const int value = std::clamp(param, 0, 255);
    if (keyword == RtfKeyword::Red)
        m_red = value;
    else if (keyword == RtfKeyword::Green)
        m_green = value;
    else if (keyword == RtfKeyword::Blue)
        m_blue = value;
}

void RtfColorTable::OnText(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c != ';')
            continue;
        const bool automatic = m_red < 0 && m_green < 0 && m_blue < 0;
        m_colors.append(automatic ? QColor()
                                  : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
        m_red = m_green = m_blue = -1;
    }
}

QColor RtfColorTable::At(int index) const
{
    return index >= 0 && index < m_colors.size() ? m_colors.at(index) : QColor();
}

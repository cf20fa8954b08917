#pragma once

#include "text/rtf/RtfKeywords.h"

#include <QColor>
#include <QList>

// The colours of \colortbl. An entry without components is the automatic colour.
class RtfColorTable
{
public:
    void OnKeyword(RtfKeyword keyword, int param);
    void OnText(std::string_view bytes);

    // The colour at an index; invalid for the automatic colour and for unknown indexes.
    QColor At(int index) const;

private:
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;
    QList<QColor> m_colors;
};

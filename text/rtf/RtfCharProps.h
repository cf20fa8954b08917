#pragma once

#include <QTextCharFormat>

// Character formatting as RTF states it: fonts and colours by their table index.
struct RtfCharProps
{
    int font = -1;       // font table index; -1 means the document's default font
    int halfPoints = 24; // \fs
    bool bold = false;
    bool italic = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    bool strike = false;
    int color = 0;       // \cf; 0 is the automatic colour when the table's first entry is empty
    int background = -1; // \highlight, \cb, \chcbpat; -1 is none
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
    bool hidden = false;

    bool operator==(const RtfCharProps&) const = default;
};

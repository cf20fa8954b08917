#pragma once

#include "text/rtf/RtfCharProps.h"

// What a group ({ ... }) holds: the destination its text goes to.
enum class RtfDestination
{
    Text,      // shown in the document
    Skipped,   // read past
    FontTable, // \fonttbl
    ColorTable // \colortbl
};

// The state that RTF saves at every { and restores at the matching }.
struct RtfGroupState
{
    RtfCharProps chars;
    Qt::Alignment alignment = Qt::AlignLeft;
    int unicodeSkip = 1; // \ucN: fallback characters after each \uN
    RtfDestination destination = RtfDestination::Text;
    bool starred = false; // the group began with \* and no control word has followed yet
};

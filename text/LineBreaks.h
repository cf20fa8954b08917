#pragma once

#include <QString>

// Writes every CR LF pair, lone CR and lone LF as one CR LF pair; an LF followed by a CR
// is two line breaks. Other characters are copied.
QString NormalizeLineBreaks(const QString& text);

// Case-sensitive, non-overlapping replacement of every occurrence of find, left to right;
// inserted replacements are never searched again. An empty find leaves the text unchanged.
QString ReplaceAll(const QString& text, const QString& find, const QString& replacement);

#pragma once

#include <QString>

// Writes every CR LF pair, lone CR and lone LF as one CR LF pair; an LF followed by a CR
// is two line breaks. Other characters are copied. Every text the program reads from a
// file goes through it, and the text helpers above build on it.
QString NormalizeLineBreaks(const QString& text);

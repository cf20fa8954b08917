#pragma once

#include <QString>

// Case-sensitive, non-overlapping replacement of every occurrence of find, left to right;
// inserted replacements are never searched again. An empty find leaves the text unchanged.
QString ReplaceAll(const QString& text, const QString& find, const QString& replacement);

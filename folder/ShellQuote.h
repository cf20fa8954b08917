#pragma once

#include <QString>

// The text as one single-quoted POSIX shell word: sh passes exactly these characters on,
// whatever they are (quotes, "$", backquotes, ";", blanks, line breaks), and runs none of
// them. A quote inside is written as '\'' (end quote, escaped quote, new quote).
QString ShellQuote(const QString& text);

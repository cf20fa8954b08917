#pragma once

#include <QString>

// Clean-up rules of the text-processing window. Each works on the whole text, runs in
// linear time and treats CR LF as the line break (lone CR and LF are normalised first).

// Turns every "<" and ">" into a blank; what stood between them stays.
QString RemoveAngleBrackets(const QString& text);

// Joins words hyphenated at a line end: a hyphen directly before a line break goes together
// with the break.
QString RemoveHyphenation(const QString& text);

// Joins the lines of a paragraph with a blank. An empty line between paragraphs stays, and so
// does a break before an indented line. SOH and STX serve as place markers: any already in
// the text become blanks.
QString JoinSingleLineBreaks(const QString& text);

// Replaces every pair of line breaks by one, so a run of n breaks keeps ceil(n/2) of them.
QString CollapseDoubleLineBreaks(const QString& text);

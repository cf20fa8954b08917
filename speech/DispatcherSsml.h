#pragma once

#include <QList>
#include <QString>

class SpokenText;

// The text of one Speak as speech-dispatcher reads it: SSML with an index mark before every
// word (named by the index of the word's first character in the spoken characters, so that
// the mark's event finds its word), a break for each silence of the markup, the characters
// escaped and every control character but line breaks and tabs a blank, so that no
// character of the user's text is taken as markup or as a command. Only the characters from
// index from on are given (a text resumed after a pause).
QString MarkedSsml(const SpokenText& spoken, const QList<int>& wordStarts, int from = 0);

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Where each token an engine read stands in the text it was given. Flite and Festival cut
// the text into whitespace-separated tokens, strip their punctuation and report each
// token's name in order, without a character position; this finds each name in the text,
// in order, no further ahead than the next few tokens. A name that cannot be found (an
// empty one, or one the engine rewrote) gets -1 and the next is looked for from the same
// place, so one odd token never shifts the rest.
QList<int> AlignTokens(const QString& text, const QStringList& names);

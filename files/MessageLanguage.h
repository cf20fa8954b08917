#pragma once

#include <QString>

// The language of what the program writes on the command line: Russian when the user's
// messages locale (LC_ALL, else LC_MESSAGES, else LANG) is Russian, else English, so that
// everything one run writes to a stream is in one language.
bool MessagesInRussian();

// english or russian (both UTF-8), as MessagesInRussian() chooses.
QString Say(const char* english, const char* russian);

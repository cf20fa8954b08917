#pragma once

#include <QString>

class SpeakToFileHost;
struct ToFileOptions;

// The To File run without its window: sets the format of every file, cuts the text into
// the host's fragment lists and speaks them into the chosen file or its numbered parts,
// converting to MP3 when asked. The caller has cleared the stop request and looks after
// its buttons, caption and the voices' output streams. Errors travel out as VemoError.
// The text is let go once it is cut (the fragments hold it), so a caller that hands it over
// (std::move) keeps one copy of a long book instead of two while it is spoken.
void SpeakTextToFile(SpeakToFileHost& host, const ToFileOptions& options, QString text);

#pragma once

#include <QString>

class SpeakToFileHost;
struct ToFileOptions;

// The To File run without its window: sets the format of every file, cuts the text into
// the host's fragment lists and speaks them into the chosen file or its numbered parts,
// converting to MP3 when asked. The caller has cleared the stop request and looks after
// its buttons, caption and the voices' output streams. Errors travel out as VemoError.
void SpeakTextToFile(SpeakToFileHost& host, const ToFileOptions& options, const QString& text);

#pragma once

#include <QStringList>

// vemo --to-file TEXT OUT [options]: reads TEXT as the Open command does and speaks it into
// sound files through the To File run. Exit status: 0 done, 1 an error or a failed MP3
// conversion (said on standard error), 130 stopped by Ctrl+C (what was spoken is kept).
int RunToFileMode(const QStringList& words);

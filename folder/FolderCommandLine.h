#pragma once

#include <QStringList>

// vemo --convert-folder DIR [options]: one folder run without windows. Returns the exit
// status: 0 done, 1 failed (message on standard error), 130 stopped by SIGINT or SIGTERM.
int RunConvertFolderMode(const QStringList& words);

// vemo --watch DIR [options]: a folder run each time "Start.Flag" appears in DIR, until
// SIGINT or SIGTERM; returns 0 then, or 1 when the options are wrong.
int RunWatchMode(const QStringList& words);

// vemo --convert-file TEXT [options]: the one book as a folder run of its folder converts it,
// the video commands appended to the folder's batch files. Also the worker of a folder run
// with several jobs: vemo --convert-file TEXT --worker-settings FILE.
int RunConvertFileMode(const QStringList& words);

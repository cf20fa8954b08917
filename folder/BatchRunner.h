#pragma once

#include <QString>
#include <functional>

// Runs "/bin/sh batchFile" in a process group of its own, hidden (no input, output
// discarded; with an errorFile, "/bin/sh -v batchFile" with its error output, every line of
// the batch echoed before it runs, written to errorFile), and waits for it in 200 ms slices, letting pending
// events run between them.
// - When limitSeconds pass first, the whole process group is ended (SIGTERM, then SIGKILL),
//   so no converter started by the batch outlives the limit; log receives
//   "Terminate Process " and the command line; the result is false.
// - When stopRequested() answers true, the wait ends and the batch goes on by itself; it is
//   reaped when it ends. The result is true.
// Returns true when the batch was started and not killed.
bool RunBatchAndWait(const QString& batchFile, qint64 limitSeconds,
                     const std::function<bool()>& stopRequested,
                     const std::function<void(const QString&)>& log, const QString& errorFile = {});

// The command line that RunBatchAndWait runs for the batch file, as it appears in the log.
QString BatchCommandLine(const QString& batchFile, bool echoing = false);

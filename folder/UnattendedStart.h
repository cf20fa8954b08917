#pragma once

#include <QString>
#include <functional>

// The unattended start of folder runs: polled every few seconds, it starts one run when
// the flag file "Start.Flag" is in the text folder and deletes the flag afterwards,
// whatever the run's outcome, so that a new flag starts the next run. The flag's content
// is never read.
class UnattendedStart
{
public:
    enum class Poll
    {
        NoFolder,  // no folder named: the refusal was logged
        NoFlag,    // nothing to do
        RunActive, // a run is under way: never a second one inside it
        Ran,       // the run ended and the flag is gone
        FlagKept   // the run ended but the flag could not be deleted
    };

    static constexpr int IntervalMs = 3000;

    explicit UnattendedStart(std::function<void(const QString& line)> log);

    // The flag file of the folder as typed: folderText + "/Start.Flag".
    static QString FlagFilePath(const QString& folderText);
    static QString NoFolderMessage();

    // One poll. folderText is the folder name as it is typed now; run is the whole run.
    // When run throws, the flag is deleted all the same and the error travels on.
    Poll Check(const QString& folderText, bool runActive, const std::function<void()>& run);

    // How long DeleteFlagFile waits between its attempts (tests shorten it).
    void SetDeleteRetryMs(int ms) { m_deleteRetryMs = ms; }

private:
    Poll RunAndDeleteFlag(const QString& flagFile, const std::function<void()>& run);

    std::function<void(const QString&)> m_log;
    int m_deleteRetryMs = 200;
};

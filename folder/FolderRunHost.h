#pragma once

#include <QString>

// What the folder run needs besides the speaking host: where each text file's text is
// shown, where log lines go and how the end of a video batch is announced. The main window
// puts the text into its text box; the command line prints.
class FolderRunHost
{
public:
    virtual ~FolderRunHost() = default;

    // A new text file is taken up (number from 1 of count files).
    virtual void ShowTextFile(const QString& textFile, int number, int count) = 0;
    // Reads the text file as the Open command does and returns its plain text (line breaks
    // as CR LF). Throws VemoError naming the file when it cannot be read.
    virtual QString LoadText(const QString& textFile) = 0;
    // The title that the metadata of the book last loaded gives; empty for a text file.
    virtual QString BookTitle() const = 0;
    // A line for the log pane, such as the one naming a killed video batch.
    virtual void Log(const QString& line) = 0;
    // The outcome of the video batch: three beeps when it ran, one when it failed.
    virtual void Beep(int times) = 0;
    // While the video batch runs: done of total videos are complete.
    virtual void ShowVideoProgress(const QString& batchFile, int done, int total)
    {
        (void)batchFile, (void)done, (void)total;
    }
};

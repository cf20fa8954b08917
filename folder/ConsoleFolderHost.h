#pragma once

#include "folder/FolderRunHost.h"

class ConsoleProgress;

// The folder run without a window: each text file is read as vemo --to-file reads it, and
// the file being taken up, log lines, the videos' progress and the batch's outcome are
// written to standard error through the speaking host's progress.
class ConsoleFolderHost : public FolderRunHost
{
public:
    explicit ConsoleFolderHost(ConsoleProgress& progress) : m_progress(progress) {}

    void ShowTextFile(const QString& textFile, int number, int count) override;
    QString LoadText(const QString& textFile) override;
    QString BookTitle() const override { return m_bookTitle; }
    void Log(const QString& line) override;
    void Beep(int times) override;
    void ShowVideoProgress(const QString& batchFile, int done, int total) override;

    // The text of a text file as LoadText gives it; bookTitle, when given, receives a book's
    // own title (empty for a text file).
    static QString ReadText(const QString& textFile, QString* bookTitle = nullptr);
    // A line on standard error.
    static void Print(const QString& line);

private:
    ConsoleProgress& m_progress;
    QString m_bookTitle;
};

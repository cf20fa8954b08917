#pragma once

#include "folder/FolderRunHost.h"

// The folder run without a window: each text file is read as vemo --to-file reads it, and
// the file being taken up, log lines and the batch's outcome are written to standard error.
class ConsoleFolderHost : public FolderRunHost
{
public:
    void ShowTextFile(const QString& textFile, int number, int count) override;
    QString LoadText(const QString& textFile) override;
    void Log(const QString& line) override;
    void Beep(int times) override;

    // A line on standard error.
    static void Print(const QString& line);
};

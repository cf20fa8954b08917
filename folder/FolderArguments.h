#pragma once

#include "folder/DirSettings.h"
#include "folder/FolderRun.h"
#include "soundfile/ToFileArguments.h"

#include <QString>
#include <QStringList>

// vemo --convert-folder DIR [options] and vemo --watch DIR [options]: what the folder
// dialog and the main window would otherwise give. The sound options are those of
// vemo --to-file and pass through its parser; the video options start from the settings
// kept in "opsDir.txt".
struct FolderArguments
{
    FolderRunSettings settings; // settings.folderName: the folder, as a full name
    VoiceArguments ru;
    VoiceArguments en;
    bool quiet = false; // errors only on standard error
};

// Parses the words after the command (command names it in messages): a folder first, or
// with oneBook a text file (settings.books, its folder as settings.folderName). Throws
// VemoError saying which option is wrong or that the folder or file does not exist.
FolderArguments ParseFolderArguments(const QString& command, const QStringList& words,
                                     const DirSettings& defaults, bool oneBook = false);

// The option summaries for vemo --help.
QString ConvertFolderUsage();
QString WatchUsage();
QString ConvertFileUsage();

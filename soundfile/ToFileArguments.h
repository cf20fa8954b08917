#pragma once

#include "soundfile/ToFileOptions.h"

#include <QString>
#include <QStringList>
#include <optional>

// The settings of one language's voice as the command line gives them.
struct VoiceArguments
{
    QString name; // matched against a voice's id or description; empty: the default voice
    std::optional<int> rate;
    std::optional<int> volume;
};

// vemo --to-file TEXT OUT [options]: what the sound-file dialog and the main window would
// otherwise give. The sound-file options are read by SoundFileArguments.
struct ToFileArguments
{
    QString textFile;
    ToFileOptions options;
    VoiceArguments ru;
    VoiceArguments en;
};

// Parses the words after --to-file. Throws VemoError saying which option is wrong.
ToFileArguments ParseToFileArguments(const QStringList& words);
// Parses the options that follow TEXT OUT, which the folder commands take too; the file
// names stay empty. Throws VemoError saying which option is wrong, without a command's name.
ToFileArguments ParseToFileOptions(const QStringList& words);

// The option summary for vemo --help.
QString ToFileUsage();

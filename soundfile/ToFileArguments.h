#pragma once

#include "soundfile/FillEncoderConfig.h"
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
// otherwise give. The MP3 options pass through the same FillEncoderConfig as the dialog.
struct ToFileArguments
{
    QString textFile;
    ToFileOptions options;
    VoiceArguments ru;
    VoiceArguments en;
};

// Parses the words after --to-file. Throws VemoError saying which option is wrong.
ToFileArguments ParseToFileArguments(const QStringList& words);

// The option summary for vemo --help.
QString ToFileUsage();

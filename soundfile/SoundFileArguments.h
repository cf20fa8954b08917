#pragma once

#include "soundfile/SoundFileOptions.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>

// The sound-file options of the command line, as vemo --to-file and the folder commands take
// them: --format, --divide, --mp3 and the MP3 encoder's options. The MP3 choices are the
// items of the MP3 panel's lists, so the encoder record is filled as the dialogs fill it.
// Every refusal throws VemoError saying which option is wrong; the caller puts its command
// before the message.
class SoundFileArguments
{
public:
    using Handler = std::function<void(const QString& value)>;

    // The options that want a value, each with what takes the value.
    std::map<QString, Handler> ValueOptions();
    // Takes a flag (--mp3); false when word is none of these options.
    bool TakeFlag(const QString& word);
    // The options given. Refuses MP3 options without --mp3, and --format with it.
    SoundFileOptions Options() const;

private:
    SoundFileOptions m_options;
    QStringList m_mp3Options; // given, to refuse them without --mp3
    bool m_formatGiven = false;
};

// Readings of option values that the command lines share; each throws VemoError naming the
// option and the value.
namespace OptionValue {
// A whole number from low to high.
int IntegerIn(const QString& option, const QString& value, int low, int high);
// The index of the choice that value names, letter case aside; the refusal lists the choices.
int ItemOf(const QString& option, const QString& value, const QStringList& choices);
} // namespace OptionValue

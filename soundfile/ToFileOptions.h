#pragma once

#include "soundfile/SoundFileOptions.h"

#include <QString>

// What the To File command takes from the sound-file dialog (or the command line) and the
// main window before it speaks a text into files.
struct ToFileOptions
{
    QString chosenFileName; // the WAV file, or the pattern of the part files
    QString textFileName;   // the file the text was opened from, never overwritten; may be empty
    QString bookTitle;      // the title a book's metadata gives, for the MP3 tags; may be empty
    SoundFileOptions sound;
    bool xml = false; // the text carries speech markup
    QString digitLang = QStringLiteral("R");
    bool quiet = false; // the command line reports errors only
};

#pragma once

#include <QString>

// How the sound files of one spoken text are named: the whole text in one WAV file, or
// numbered part files, each with the MP3 file it is converted into. Part numbers are
// written with at least three digits (000, 001, ... 999, 1000).
class PartFileNames
{
public:
    // To File: the chosen name is the undivided WAV file; part k is base + number +
    // extension (the extension of the chosen name, possibly none); MP3 files are
    // base + number + ".mp3", or base + ".mp3" undivided.
    static PartFileNames ForChosenName(const QString& chosenFileName);
    // Folder conversion: a text file's base (its name without extension, a zipped book's
    // ".fb2.zip" taken off whole; the whole name when withoutExtension is false) + ".wav",
    // or base + " " + number + ".wav" for part k; MP3 files likewise with ".mp3".
    static PartFileNames ForTextFile(const QString& textFileName, bool withoutExtension = true);

    QString WavName(bool divide, int partNumber) const;
    QString Mp3Name(bool divide, int partNumber) const;
    const QString& Base() const { return m_base; }

    static QString PartNumberText(int partNumber);
    // The name a sound file is written under until it is complete: its own name + ".part",
    // so that no half-written file (a run killed or ended by an error) stands under a final
    // name.
    static QString TemporaryName(const QString& fileName);
    // Gives the complete file written under TemporaryName(fileName) its name, replacing an
    // older file of that name in one step. Throws VemoError naming both files.
    static void Publish(const QString& fileName);
    // The name without the extension of its last component (from its last "." on).
    static QString WithoutExtension(const QString& fileName);

private:
    PartFileNames(QString wholeWav, QString base, QString separator, QString partExtension);

    QString m_wholeWav;      // the WAV file of an undivided text
    QString m_base;          // the name every part and MP3 file starts with
    QString m_separator;     // between base and part number
    QString m_partExtension; // of the WAV part files
};

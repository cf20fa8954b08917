#pragma once

#include <QString>
#include <QStringList>

// The folder dialog's settings kept between program runs in "opsDir.txt": the converter
// folder, the cover, the command template, the text folder, whether videos are made and
// how covers are chosen, whether books of other formats are taken besides "*.txt". The
// sound options are not kept.
struct DirSettings
{
    // The converter command template of a new installation (103 characters).
    static QString DefaultCommandTemplate();

    QString converterFolder = QStringLiteral("/usr/bin");
    QString cover = QStringLiteral("Cover.jpg");
    QString commandTemplate = DefaultCommandTemplate();
    QString folderName;
    bool makeVideos = false;
    int coverRule = 0;       // -1 (no rule chosen) to 2
    bool allFormats = false; // FB2, EPUB, DOCX, ODT and HTML besides TXT

    // The formats a folder run takes: "txt" alone, or all of BookFormatNames().
    QStringList Formats() const;

    // Takes the settings from the file at path; a missing file keeps everything as it is.
    // The four texts are taken unconditionally (a missing key gives an empty text); the two
    // numbers only when present. A value that is not an integer throws VemoError, after the
    // settings before it were taken; a file of the older six lines leaves allFormats off.
    // Throws VemoError when the file cannot be read.
    void Load(const QString& path);

    // Writes the seven lines to path through a temporary file, so that a failure never leaves
    // half a file. Throws VemoError naming the file.
    void Save(const QString& path) const;
};

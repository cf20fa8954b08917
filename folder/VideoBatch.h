#pragma once

#include "files/VemoError.h"

#include <QString>
#include <QStringList>
#include <optional>

// A batch file could not be written: the run itself fails, not one of its books.
class BatchFileError : public VemoError
{
public:
    using VemoError::VemoError;
};

// What the folder dialog says about the videos of a folder run.
struct VideoOptions
{
    QString converterFolder; // the folder holding the converter "ffmpeg"
    QString coverDefault;    // the cover picture as typed; a relative name stays relative
    QString commandTemplate; // with the placeholders "%fsnd", "%fjpg", "%fsrt" and "%fvideo"
    int coverRule = 0;       // a CoverRule; any other value leaves "%fjpg" in the command
};

// The batch lines of one folder run: two POSIX shell lines per sound file, a "cd" into
// the text file's folder and the converter with the filled command template. Every name
// placed into a line is quoted for the shell, so that a file name dropped into a watched
// folder can never run anything. The lines are mirrored into "ToVideo.temp" after every
// addition and written to "ToVideo.bat" at the end of the run.
class VideoBatch
{
public:
    VideoBatch(const QString& batchFolder, const VideoOptions& options);

    // Appends the lines for one finished sound file and rewrites "ToVideo.temp".
    // Throws BatchFileError when the file cannot be written.
    void AddVideoCommand(const QString& textFile, const QString& soundFile, const QString& videoFile);

    // Writes "ToVideo.bat" when there are lines; an empty run leaves an older one in place.
    // Throws BatchFileError when the file cannot be written. Appending, does nothing.
    void WriteVideoBatch() const;

    // Several runs on one folder at once (vemo --convert-file beside others, maybe on other
    // machines on one share): each command's two lines are appended to "ToVideo.temp" and
    // "ToVideo.bat" while "ToVideo.lock" is held, instead of rewriting them whole.
    void SetAppending(bool appending) { m_appending = appending; }
    bool Appending() const { return m_appending; }
    // Writes this run's lines alone to path (to run them). Throws BatchFileError.
    void WriteOwnLines(const QString& path) const { WriteLines(path); }

    // What the converter said for each video, in the order of the commands, taken from the
    // error output of the batch run with every line echoed before it runs (RunBatchAndWait
    // with an error file): the text between a converter line and the next line of the batch.
    QStringList ConverterOutputs(const QString& echoedOutput) const;

    const QStringList& BatchLines() const { return m_batchLines; }
    QString TempFilePath() const;
    QString BatchFilePath() const;

    // The converter program inside the folder typed by the user; with no folder, the
    // "ffmpeg" found on the search path.
    static QString ConverterPath(const QString& converterFolder);

    // The template with its placeholders filled in one pass, left to right, so that a name
    // that itself contains a placeholder is never searched again. Without subtitles "%fsrt"
    // stays as it is, as "%fjpg" does without a cover.
    static QString FillVideoTemplate(const QString& commandTemplate, const QString& sound,
                                     const std::optional<QString>& cover, const QString& video,
                                     const std::optional<QString>& subtitles = std::nullopt);

    // The extension of the video files the template makes (VideoTemplates::VideoExtension).
    QString VideoExtension() const;

private:
    QString ChooseCover(const QString& textFile) const;
    void WriteLines(const QString& path) const;
    void AppendLines(const QStringList& lines) const;

    QString m_batchFolder;
    VideoOptions m_options;
    QStringList m_batchLines;
    bool m_appending = false;
};

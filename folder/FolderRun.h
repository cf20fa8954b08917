#pragma once

#include "folder/VideoBatch.h"
#include "soundfile/EncoderConfig.h"

#include <QString>
#include <QStringList>
#include <optional>

class FolderRunHost;
class SpeakToFileHost;

// How a folder run makes its sound files and videos: the folder dialog's results and
// controls, and the main window's choices for splitting the text.
struct FolderRunSettings
{
    QString folderName;                             // as accepted; its "*.txt" files are converted
    QStringList formats{QStringLiteral("txt")};     // and the books of these formats (BookFormatNames)
    int streamFormatType = 34;                      // SpeechAudioFormatType of every WAV file
    bool divide = false;                            // numbered part files
    QString partCharLimit = QStringLiteral("1000"); // as typed; read for every file
    bool mp3 = false;
    EncoderConfig encoderConfig;             // used when mp3
    bool xml = false;                        // the texts carry speech markup
    QString digitLang = QStringLiteral("R"); // the voice that reads digits
    VideoOptions video;
    bool makeVideos = false;               // run the video batch at the end
    qint64 batchTimeLimitSeconds = 360000; // 100 hours
};

// What a folder run did.
struct FolderRunResult
{
    int textFiles = 0;            // found in the folder
    int textFilesSpoken = 0;      // taken up (the last one possibly stopped)
    bool stopped = false;         // Stop To File ended it
    QStringList videoFiles;       // one per video command, in the batch's order
    std::optional<bool> batchRan; // set when the batch was run: false when it failed or was killed
};

// Converts every text file of a folder, in natural name order, into sound files named
// after it (Base + ".wav", or Base + " " + part number + ".wav" when divided; ".mp3" when
// converted) through the To File run, adds a video command for every finished sound file,
// writes the video batch at the end and, when videos are asked for, runs it and announces
// the outcome by beeps. Stop To File ends the run after the current file; the batch is
// still written. An error ends the run at once: the file stream is closed, the voices get
// their output streams back, the batch file is not written, and the error travels on.
class FolderRun
{
public:
    FolderRun(SpeakToFileHost& speaker, FolderRunHost& host, const FolderRunSettings& settings);

    FolderRunResult Run();

    // The text files of a folder, and its books of the formats named, in the order the run
    // takes them.
    static QStringList TextFiles(const QString& folderName,
                                 const QStringList& formats = {QStringLiteral("txt")});

private:
    void ConvertFiles(VideoBatch& batch, FolderRunResult& result);
    void ReportUndecodableNames();
    void ConvertTextFile(const QString& textFile, bool ownsBaseName, VideoBatch& batch,
                         QStringList& videoFiles);
    void RunBatch(const VideoBatch& batch, FolderRunResult& result);
    void CleanUp();

    SpeakToFileHost& m_speaker;
    FolderRunHost& m_host;
    const FolderRunSettings m_settings;
};

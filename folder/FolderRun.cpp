#include "folder/FolderRun.h"

#include "documents/books/BookReader.h"
#include "files/FileNameMatch.h"
#include "files/SettingsFile.h"
#include "files/TextFileCodec.h"
#include "files/UnitFindFilesSL.h"
#include "folder/BatchRunner.h"
#include "folder/FolderRunHost.h"
#include "folder/VideoCommandHost.h"
#include "soundfile/KeptOutputStreams.h"
#include "soundfile/PartFileNames.h"
#include "soundfile/SpeakToFileHost.h"
#include "soundfile/SpeakToFileRun.h"
#include "soundfile/ToFileOptions.h"
#include "speech/SpeechVoice.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

// The batch makes its videos one after another: every video file that exists is complete
// but the last one begun.
int VideosMade(const QStringList& videoFiles)
{
    int begun = 0;
    for (const QString& video : videoFiles)
        begun += QFileInfo::exists(video) ? 1 : 0;
    return qMax(0, begun - 1);
}

// The files whose sound files are named after their base name alone. Two files of one
// base ("tale.txt", "tale.epub") would write the same sound files: the text file keeps the
// name, else the first book in run order; the others are named with their extension
// ("tale.epub.mp3").
QSet<QString> OwnersOfBaseNames(const QStringList& files)
{
    QHash<QString, QString> owners;
    for (const QString& file : files) {
        QString& owner = owners[BookFileBase(file)];
        if (owner.isEmpty() || (file.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) &&
                                !owner.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)))
            owner = file;
    }
    return QSet<QString>(owners.cbegin(), owners.cend());
}

} // namespace

FolderRun::FolderRun(SpeakToFileHost& speaker, FolderRunHost& host, const FolderRunSettings& settings)
    : m_speaker(speaker), m_host(host), m_settings(settings)
{}

// No folder name means no folder: never the root that "/" alone would name. The files the
// program writes itself (the fragment dump, the error log, the settings files) are never
// books, whichever folder they are in.
QStringList FolderRun::TextFiles(const QString& folderName, const QStringList& formats)
{
    QStringList files;
    if (folderName.isEmpty())
        return files;
    const QStringList masks = BookFileMasks(formats);
    for (const QString& mask : masks)
        FindFilesSL(folderName + u'/', mask, files);
    if (masks.size() > 1)
        std::stable_sort(files.begin(), files.end(), NaturalLess);
    const QStringList own = {FragmentDumpFileName, FragmentDumpCachePath(), LogErrFileName,
                             SettingsFilePath(QStringLiteral("ops.txt")),
                             SettingsFilePath(QStringLiteral("opsDir.txt"))};
    files.removeIf([&own](const QString& file) {
        return std::any_of(own.begin(), own.end(),
                           [&file](const QString& name) { return IsSameFile(file, name); });
    });
    return files;
}

FolderRunResult FolderRun::Run()
{
    FolderRunResult result;
    const KeptOutputStreams kept(m_speaker.VoiceRu(), m_speaker.VoiceEng());
    VideoBatch batch(m_settings.folderName, m_settings.video);
    try {
        ConvertFiles(batch, result);
        batch.WriteVideoBatch();
    } catch (...) {
        CleanUp();
        throw;
    }
    RunBatch(batch, result);
    return result;
}

void FolderRun::ConvertFiles(VideoBatch& batch, FolderRunResult& result)
{
    ReportUndecodableNames();
    const QStringList files = TextFiles(m_settings.folderName, m_settings.formats);
    result.textFiles = int(files.size());
    const QSet<QString> owners = OwnersOfBaseNames(files);
    for (const QString& textFile : files) {
        ++result.textFilesSpoken;
        m_host.ShowTextFile(textFile, result.textFilesSpoken, result.textFiles);
        ConvertTextFile(textFile, owners.contains(textFile), batch, result.videoFiles);
        m_speaker.LetMessagesThrough();
        if (m_speaker.StopToFileRequested()) {
            result.stopped = true;
            break;
        }
    }
}

// A text file whose name is not UTF-8 cannot be opened by its name; the user is told about
// each one, in the log pane and the error log, before the run goes on with the others.
void FolderRun::ReportUndecodableNames()
{
    if (m_settings.folderName.isEmpty())
        return;
    for (const QString& mask : BookFileMasks(m_settings.formats)) {
        for (const QString& name : FindUndecodableNames(m_settings.folderName, mask)) {
            const QString line = QStringLiteral("Файл «%1» в папке «%2» пропущен: его имя не в UTF-8, "
                                                "переименуйте его")
                                     .arg(name, m_settings.folderName);
            m_host.Log(line);
            LogErr(line);
        }
    }
}

void FolderRun::ConvertTextFile(const QString& textFile, bool ownsBaseName, VideoBatch& batch,
                                QStringList& videoFiles)
{
    const QString text = m_host.LoadText(textFile);
    SpeakToFileSettings settings;
    settings.partCharLimit = ParsePartCharLimit(m_settings.partCharLimit);
    settings.mp3 = m_settings.mp3;
    if (settings.mp3)
        settings.encoderConfig = m_settings.encoderConfig;
    settings.streamFormatType = m_settings.streamFormatType;
    settings.divide = m_settings.divide;
    settings.album = QFileInfo(QDir::cleanPath(m_settings.folderName)).fileName();
    settings.bookTitle = m_host.BookTitle();
    settings.speakFlags =
        SpeakToFileRun::SplitText(text, m_settings.xml, m_settings.digitLang, m_speaker.Fragments());
    m_speaker.SetFragmentIndex(0);
    VideoCommandHost host(m_speaker, batch, textFile, videoFiles);
    SpeakToFileRun run(host, PartFileNames::ForTextFile(textFile, ownsBaseName), settings);
    run.Run();
}

void FolderRun::RunBatch(const VideoBatch& batch, FolderRunResult& result)
{
    if (!m_settings.makeVideos || batch.BatchLines().isEmpty())
        return;
    const QStringList& videos = result.videoFiles;
    const QString batchFile = batch.BatchFilePath();
    m_host.ShowVideoProgress(batchFile, 0, int(videos.size()));
    const bool ran = RunBatchAndWait(
        batchFile, m_settings.batchTimeLimitSeconds,
        [this, &videos, &batchFile] {
            m_host.ShowVideoProgress(batchFile, VideosMade(videos), int(videos.size()));
            return m_speaker.StopToFileRequested();
        },
        [this](const QString& line) { m_host.Log(line); });
    if (ran)
        m_host.ShowVideoProgress(batchFile, int(videos.size()), int(videos.size()));
    result.batchRan = ran;
    m_host.Beep(ran ? 3 : 1);
}

// After an error: a file stream the error left open is closed, so the WAV written so far
// gets its lengths and no handle stays on it. A failure here would only hide that error.
void FolderRun::CleanUp()
{
    SpFileStream& stream = m_speaker.FileStream();
    if (!stream.isOpen())
        return;
    try {
        stream.Close();
    } catch (...) {
    }
}

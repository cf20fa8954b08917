#include "folder/VideoBatch.h"

#include "files/TextFileCodec.h"
#include "files/VemoError.h"
#include "folder/CoverChoice.h"
#include "folder/ShellQuote.h"
#include "folder/VideoTemplates.h"
#include "soundfile/PartFileNames.h"
#include "text/LineBreaks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <utility>

namespace {

using Placeholder = std::pair<QString, QString>;

// Replaces the first placeholder in the template and, recursively, the later ones in the
// pieces of template text between its occurrences only, never in inserted names.
QString FillPieces(const QString& text, const QList<Placeholder>& placeholders, qsizetype first)
{
    if (first + 1 == placeholders.size())
        return ReplaceAll(text, placeholders[first].first, placeholders[first].second);
    const QStringList pieces = text.split(placeholders[first].first, Qt::KeepEmptyParts, Qt::CaseSensitive);
    QStringList filled;
    for (const QString& piece : pieces)
        filled << FillPieces(piece, placeholders, first + 1);
    return filled.join(placeholders[first].second);
}

// A full name, so that no name in a batch line begins with "-" and is taken for an option.
QString FullName(const QString& name)
{
    return QFileInfo(name).absoluteFilePath();
}

// A relative cover name stays relative to the text folder, but one beginning with "-"
// gets "./" in front so that the converter does not read it as an option.
QString SafeCoverName(const QString& cover)
{
    return cover.startsWith(u'-') ? QStringLiteral("./") + cover : cover;
}

QString CdLine(const QString& textFile)
{
    QString folder = QFileInfo(textFile).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return QStringLiteral("cd ") + ShellQuote(folder);
}

} // namespace

VideoBatch::VideoBatch(const QString& batchFolder, const VideoOptions& options)
    : m_batchFolder(batchFolder), m_options(options)
{}

QString VideoBatch::TempFilePath() const
{
    return QDir(m_batchFolder).filePath(QStringLiteral("ToVideo.temp"));
}

QString VideoBatch::BatchFilePath() const
{
    return QDir(m_batchFolder).filePath(QStringLiteral("ToVideo.bat"));
}

QString VideoBatch::ConverterPath(const QString& converterFolder)
{
    QString folder = converterFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (folder.isEmpty())
        return QStringLiteral("ffmpeg");
    return folder == QLatin1String("/") ? QStringLiteral("/ffmpeg") : folder + QStringLiteral("/ffmpeg");
}

QString VideoBatch::FillVideoTemplate(const QString& commandTemplate, const QString& sound,
                                      const std::optional<QString>& cover, const QString& video,
                                      const std::optional<QString>& subtitles)
{
    QList<Placeholder> placeholders{{QStringLiteral("%fsnd"), sound}};
    if (cover)
        placeholders.append({QStringLiteral("%fjpg"), *cover});
    if (subtitles)
        placeholders.append({QStringLiteral("%fsrt"), *subtitles});
    placeholders.append({QStringLiteral("%fvideo"), video});
    return FillPieces(commandTemplate, placeholders, 0);
}

QString VideoBatch::ChooseCover(const QString& textFile) const
{
    switch (m_options.coverRule) {
    case CoverByPrefix:
        return ChooseCoverByPrefix(textFile, m_options.coverDefault);
    case CoverBySameName:
        return ChooseCoverBySameName(textFile, m_options.coverDefault);
    default:
        return m_options.coverDefault;
    }
}

void VideoBatch::AddVideoCommand(const QString& textFile, const QString& soundFile, const QString& videoFile)
{
    std::optional<QString> cover;
    if (m_options.coverRule >= CoverForAll && m_options.coverRule <= CoverBySameName)
        cover = ShellQuote(SafeCoverName(ChooseCover(textFile)));
    // The SRT file the sound file's run wrote beside it.
    const QString subtitles = PartFileNames::WithoutExtension(FullName(soundFile)) + QStringLiteral(".srt");
    const QString command = FillVideoTemplate(m_options.commandTemplate, ShellQuote(FullName(soundFile)),
                                              cover, ShellQuote(FullName(videoFile)), ShellQuote(subtitles));
    const QStringList lines{CdLine(textFile),
                            ShellQuote(ConverterPath(m_options.converterFolder)) + u' ' + command};
    m_batchLines << lines;
    if (m_appending)
        AppendLines(lines);
    else
        WriteLines(TempFilePath());
}

QString VideoBatch::VideoExtension() const
{
    return VideoTemplates::VideoExtension(m_options.commandTemplate);
}

void VideoBatch::WriteVideoBatch() const
{
    if (!m_batchLines.isEmpty() && !m_appending)
        WriteLines(BatchFilePath());
}

void VideoBatch::WriteLines(const QString& path) const
{
    QByteArray data;
    for (const QString& line : m_batchLines)
        data += line.toUtf8() + '\n';
    const QString failure = ReplaceFileContents(path, data);
    if (!failure.isEmpty())
        throw BatchFileError(QCoreApplication::translate("VideoBatch", "Cannot write the batch file %1: %2")
                                 .arg(QDir::toNativeSeparators(path), failure));
}

// Each pair of lines is written in one piece, under the folder's lock, so that the lines of
// runs side by side never mix and both files keep whole commands.
void VideoBatch::AppendLines(const QStringList& lines) const
{
    QLockFile lock(QDir(m_batchFolder).filePath(QStringLiteral("ToVideo.lock")));
    lock.setStaleLockTime(0);
    if (!lock.lock())
        throw BatchFileError(QCoreApplication::translate("VideoBatch", "Cannot lock the batch files in %1")
                                 .arg(QDir::toNativeSeparators(m_batchFolder)));
    QByteArray data;
    for (const QString& line : lines)
        data += line.toUtf8() + '\n';
    for (const QString& path : {TempFilePath(), BatchFilePath()}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
            file.write(data) != data.size())
            throw BatchFileError(
                QCoreApplication::translate("VideoBatch", "Cannot write the batch file %1: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

QStringList VideoBatch::ConverterOutputs(const QString& echoedOutput) const
{
    QStringList outputs;
    qsizetype from = 0;
    for (qsizetype i = 1; i < m_batchLines.size(); i += 2) {
        const QString command = m_batchLines.at(i) + u'\n';
        const qsizetype at = echoedOutput.indexOf(command, from);
        if (at < 0) {
            outputs.append(QString()); // the batch ended before this command
            continue;
        }
        const qsizetype start = at + command.size();
        const qsizetype next =
            i + 1 < m_batchLines.size() ? echoedOutput.indexOf(m_batchLines.at(i + 1) + u'\n', start) : -1;
        const qsizetype end = next < 0 ? echoedOutput.size() : next;
        outputs.append(echoedOutput.mid(start, end - start));
        from = end;
    }
    return outputs;
}

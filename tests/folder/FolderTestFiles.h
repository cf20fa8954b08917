#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// Small file helpers of the folder-run tests.
namespace FolderTestFiles {

inline bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The files the run made in folder: everything but the texts, the batch files, the run log
// and the subtitles beside the sound files (also those still written, as NAME.srt.part), by
// name.
inline QStringList MadeFiles(const QString& folder)
{
    QStringList made;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        const QString subtitle = name.endsWith(".part") ? name.chopped(5) : name;
        if (!name.endsWith(".txt") && !name.startsWith("ToVideo.") && !subtitle.endsWith(".srt") &&
            !subtitle.endsWith(".lrc") && name != "vemo-run.log")
            made.append(name);
    }
    return made;
}

// The sound files (WAV or MP3) of folder that lack an SRT or LRC file beside them.
inline QStringList SoundFilesWithoutSubtitles(const QString& folder)
{
    QStringList missing;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.wav", "*.mp3"}, QDir::Files, QDir::Name)) {
        const QString base = QFileInfo(name).completeBaseName();
        if (!dir.exists(base + ".srt") || !dir.exists(base + ".lrc"))
            missing.append(name);
    }
    return missing;
}

// A converter folder holding an executable "ffmpeg" that records each of its arguments,
// followed by a separator line, in argsFile and creates its last argument (the video).
inline QString MakeFakeConverter(const QString& folder, const QString& argsFile)
{
    const QString script = folder + "/ffmpeg";
    const QByteArray body = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n--ARG-END--\\n' \"$a\" >> '" +
                            argsFile.toUtf8() + "'; last=\"$a\"; done\nprintf video > \"$last\"\n";
    if (!Write(script, body))
        return {};
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    return script;
}

inline QStringList RecordedArguments(const QString& argsFile)
{
    QStringList arguments = ReadText(argsFile).split("\n--ARG-END--\n");
    arguments.removeLast();
    return arguments;
}

} // namespace FolderTestFiles

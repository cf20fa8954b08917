#include "files/SettingsFile.h"

#include "files/TextFileCodec.h"
#include "files/VemoError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

SettingsFile SettingsFile::FromText(const QString& text)
{
    SettingsFile file;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(u'\r', u'\n');
    file.m_lines = normalized.split(u'\n');
    return file;
}

SettingsFile SettingsFile::Load(const QString& path)
{
    RequireRegularFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VemoError(QCoreApplication::translate("SettingsFile", "Cannot read the settings file %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    return FromText(QString::fromUtf8(ReadOpenFileBytes(file, path)));
}

std::optional<QString> SettingsFile::Value(const QString& key) const
{
    for (const QString& line : m_lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return std::nullopt;
}

void SettingsFile::Save(const QString& path, const QStringList& lines)
{
    QByteArray data;
    for (const QString& line : lines)
        data += line.toUtf8() + "\r\n";
    const QString failure = ReplaceFileContents(path, data);
    if (!failure.isEmpty())
        throw VemoError(QCoreApplication::translate("SettingsFile", "Cannot write the settings file %1: %2")
                            .arg(QDir::toNativeSeparators(path), failure));
}

int SettingsInteger(const QString& value)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok)
        throw VemoError(QStringLiteral("'%1' is not a valid integer value").arg(value));
    return number;
}

QString SettingsFilePath(const QString& name)
{
    const QString overridden = qEnvironmentVariable("VEMO_SETTINGS_DIR");
    if (!overridden.isEmpty())
        return QDir(overridden).filePath(name);
    const QString programDir = QCoreApplication::applicationDirPath();
    const QFileInfo programDirInfo(programDir);
    if (!programDir.isEmpty() && programDirInfo.isDir() && programDirInfo.isWritable())
        return QDir(programDir).filePath(name);
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vemo");
    QDir().mkpath(configDir);
    return QDir(configDir).filePath(name);
}

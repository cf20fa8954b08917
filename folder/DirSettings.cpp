#include "folder/DirSettings.h"

#include "documents/books/BookReader.h"
#include "files/SettingsFile.h"
#include "files/VemoError.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

const QString KeyConverter = QStringLiteral("FormFileSelectDir.Editffmpeg.Text");
const QString KeyCover = QStringLiteral("FormFileSelectDir.EditCover.Text");
const QString KeyCommand = QStringLiteral("FormFileSelectDir.EditCmd.Text");
const QString KeyFolder = QStringLiteral("FormFileSelectDir.EditNameFileDir.Text");
const QString KeyVideos = QStringLiteral("CheckBoxAvi.Checked");
const QString KeyCoverRule = QStringLiteral("RGroupCover.ItemIndex");
const QString KeyBooks = QStringLiteral("CheckBoxBooks.Checked");

// The integer under key, or nullopt when the key is missing or its value empty; a value
// that is not an integer throws, naming the value, the key and the file.
std::optional<int> IntegerValue(const SettingsFile& file, const QString& key, const QString& path)
{
    const QString value = file.Value(key).value_or(QString());
    if (value.isEmpty())
        return std::nullopt;
    try {
        return SettingsInteger(value);
    } catch (const VemoError& error) {
        throw VemoError(QStringLiteral("%1 (key \"%2\" in the settings file %3)")
                            .arg(error.Message(), key, QDir::toNativeSeparators(path)));
    }
}

} // namespace

QString DirSettings::DefaultCommandTemplate()
{
    return QStringLiteral("-i  %fsnd -f image2  -loop 1  -i %fjpg  -shortest  -y  -r 30 -q 30 -s 320x240 "
                          "-vcodec msmpeg4v2 %fvideo");
}

void DirSettings::Load(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    const SettingsFile file = SettingsFile::Load(path);
    converterFolder = file.Value(KeyConverter).value_or(QString());
    cover = file.Value(KeyCover).value_or(QString());
    commandTemplate = file.Value(KeyCommand).value_or(QString());
    folderName = file.Value(KeyFolder).value_or(QString());
    if (const std::optional<int> videos = IntegerValue(file, KeyVideos, path))
        makeVideos = *videos != 0;
    if (const std::optional<int> rule = IntegerValue(file, KeyCoverRule, path))
        coverRule = std::clamp(*rule, -1, 2);
    if (const std::optional<int> books = IntegerValue(file, KeyBooks, path))
        allFormats = *books != 0;
}

QStringList DirSettings::Formats() const
{
    return allFormats ? BookFormatNames() : QStringList{QStringLiteral("txt")};
}

void DirSettings::Save(const QString& path) const
{
    SettingsFile::Save(path, {KeyConverter + u'=' + converterFolder, KeyCover + u'=' + cover,
                              KeyCommand + u'=' + commandTemplate, KeyFolder + u'=' + folderName,
                              KeyVideos + u'=' + (makeVideos ? u'1' : u'0'),
                              KeyCoverRule + u'=' + QString::number(coverRule),
                              KeyBooks + u'=' + (allFormats ? u'1' : u'0')});
}

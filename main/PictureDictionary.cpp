#include "main/PictureDictionary.h"

#include "main/JpegImage.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

bool IsBlankOrControl(QChar c)
{
    return c.unicode() <= 32;
}

QString TrimBlanksAndControls(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlankOrControl(s.at(begin)))
        ++begin;
    while (end > begin && IsBlankOrControl(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}

bool IsSafeWord(const QString& word)
{
    return !word.isEmpty() && !word.contains(u'/') && !word.contains(u'\\') && !word.contains(u"..") &&
           !word.contains(QChar(0));
}

} // namespace

QString PictureDictionary::DictionaryFolder(const QString& currentFileName)
{
    const qsizetype slash = currentFileName.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : currentFileName.left(slash + 1);
    if (folder.trimmed().isEmpty())
        return QCoreApplication::applicationDirPath() + u'/';
    return folder;
}

QString PictureDictionary::WordAt(const QString& fragment, int characterPosition, int length)
{
    const qsizetype start = std::max(0, characterPosition - 1);
    return TrimBlanksAndControls(fragment.mid(start, std::max(0, length) + 1));
}

QString PictureDictionary::FindPictureFile(const QString& folder, const QString& word)
{
    if (!IsSafeWord(word))
        return {};
    const QString dir = folder + QStringLiteral("DicImg/");
    const QString name = word + QStringLiteral(".jpg");
    if (QFileInfo(dir + name).isFile())
        return dir + name;
    QDirIterator it(dir, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return it.filePath();
    }
    return {};
}

std::optional<QImage> PictureDictionary::PictureFor(const QString& currentFileName, const QString& word)
{
    const QString file = FindPictureFile(DictionaryFolder(currentFileName), word);
    if (file.isEmpty())
        return std::nullopt;
    return LoadJpegFile(file);
}

#include "folder/CoverChoice.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The first count characters of text; a character outside the basic plane (two UTF-16
// units) counts as one and is never cut in half.
QString FirstCharacters(const QString& text, int count)
{
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) {
        const bool pair =
            text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

bool IsExistingFile(const QString& name)
{
    return QFileInfo(name).isFile();
}

} // namespace

QString ChooseCoverByPrefix(const QString& textFile, const QString& coverDefault)
{
    const QFileInfo info(textFile);
    const QString candidate =
        QDir(info.absolutePath()).filePath(FirstCharacters(info.fileName(), 2) + ".jpg");
    return IsExistingFile(candidate) ? candidate : coverDefault;
}

QString ChooseCoverBySameName(const QString& textFile, const QString& coverDefault)
{
    const QFileInfo info(textFile);
    const QString stem = QDir(info.absolutePath()).filePath(info.completeBaseName());
    QString cover = coverDefault;
    for (const char* extension : {".jpg", ".jpeg", ".png", ".gif"}) {
        const QString candidate = stem + QLatin1String(extension);
        if (IsExistingFile(candidate))
            cover = candidate;
    }
    return cover;
}

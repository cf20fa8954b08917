#include "files/UnitFindFilesSL.h"

#include "files/FileNameMatch.h"
#include "files/MessageLanguage.h"
#include "files/MyBufStream.h"
#include "files/TextFileCodec.h"
#include "files/TextLineBreaks.h"
#include "files/VemoError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

std::function<void()>& AlertBeep()
{
    static std::function<void()> beep = [] {
        std::fputs("\a", stderr);
        std::fflush(stderr);
    };
    return beep;
}

// One attempt at reading the file: nullopt when it cannot be opened or read now.
std::optional<QByteArray> TryReadBytes(const QString& fileName)
{
    // Only a regular file is opened: opening a FIFO for reading would block for ever.
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A writer holding the file's lock (TSBufOut) has not finished it yet.
    if (flock(file.handle(), LOCK_SH | LOCK_NB) != 0)
        return std::nullopt;
    return ReadOpenFileBytes(file, fileName);
}

// The text ends at its first NUL character (found after decoding, since UTF-16 and UTF-32
// texts hold NUL bytes in most characters).
QString TextAsLines(const QByteArray& bytes, const QString& fileName)
{
    DecodedText decoded = DecodeTextBytes(bytes);
    if (decoded.replacedBytes > 0)
        LogErr(ReplacedBytesMessage(fileName, decoded.replacedBytes));
    const qsizetype nul = decoded.text.indexOf(QChar(0));
    if (nul >= 0)
        decoded.text.truncate(nul);
    QString text = NormalizeLineBreaks(decoded.text);
    if (!text.isEmpty() && !text.endsWith(u"\r\n"))
        text += u"\r\n";
    return text;
}

} // namespace

void LogErr(const QString& text)
{
    const auto append = [&text](const QString& fileName) {
        TSBufOut out;
        out.SetCretateNew(false);
        out.SetFileName(fileName);
        const bool written = out.WriteString(text + QStringLiteral("\r\n"));
        return out.CloseFile() && written;
    };
    if (append(LogErrFileName))
        return;
    const QString cache =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/vemo");
    if (QDir().mkpath(cache))
        append(QDir(cache).filePath(LogErrFileName));
}

QString StrLoadFromFile(const QString& fileName, int attempts, int waitMs)
{
    for (int attempt = 1;; ++attempt) {
        if (const std::optional<QByteArray> bytes = TryReadBytes(fileName))
            return TextAsLines(*bytes, fileName);
        if (attempt >= attempts) {
            LogErr(QStringLiteral("StrLoadFromFile- ") + fileName);
            throw VemoError(Say("Could not read file \"%1\" (attempts: %2)",
                                "Не удалось прочитать файл \"%1\" (попыток: %2)")
                                .arg(fileName)
                                .arg(attempt));
        }
        QThread::msleep(static_cast<unsigned long>(std::max(waitMs, 0)));
        LogErr(QStringLiteral("StrLoadFromFile- ") + fileName);
    }
}

void FindFilesSL(const QString& folder, const QString& mask, QStringList& list)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    // Without QDir::Hidden and QDir::System, dot-files, sockets, FIFOs, devices and broken
    // links stay out; QDir::Files follows a link to a regular file.
    QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&mask](const QString& name) { return !MatchesMask(name, mask); }),
                names.end());
    std::sort(names.begin(), names.end(), NaturalLess);
    const QString prefix = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString& name : std::as_const(names))
        list.append(prefix + name);
}

QStringList FindUndecodableNames(const QString& folder, const QString& mask)
{
    QStringList names;
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR* dir = opendir(path.constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw.isValidUtf8())
            continue;
        struct stat status = {};
        if (fstatat(dirfd(dir), entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode))
            continue;
        const QString name = DecodeTextBytes(raw).text;
        if (MatchesMask(name, mask))
            names.append(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool DeleteFlagFile(const QString& fileName, int waitMs)
{
    const QFileInfo info(fileName);
    if (!info.exists() && !info.isSymLink())
        return false;
    for (int failed = 0; failed < DeleteFlagFileAttempts; ++failed) {
        if (QFile::remove(fileName))
            return true;
        QThread::msleep(static_cast<unsigned long>(std::max(waitMs, 0)));
        if (AlertBeep())
            AlertBeep()();
    }
    return false;
}

std::function<void()> SetAlertBeep(std::function<void()> beep)
{
    std::function<void()> previous = std::move(AlertBeep());
    AlertBeep() = std::move(beep);
    return previous;
}

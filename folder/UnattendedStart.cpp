#include "folder/UnattendedStart.h"

#include "files/UnitFindFilesSL.h"

#include <QFileInfo>
#include <utility>

UnattendedStart::UnattendedStart(std::function<void(const QString& line)> log) : m_log(std::move(log)) {}

QString UnattendedStart::FlagFilePath(const QString& folderText)
{
    return folderText + QStringLiteral("/Start.Flag");
}

QString UnattendedStart::NoFolderMessage()
{
    return QStringLiteral(
        "Запуск по таймеру и флагу невозможен, пака где хранятся текстовые файлы НЕ выбрана");
}

UnattendedStart::Poll UnattendedStart::Check(const QString& folderText, bool runActive,
                                             const std::function<void()>& run)
{
    if (folderText.isEmpty()) {
        m_log(NoFolderMessage());
        return Poll::NoFolder;
    }
    const QString flagFile = FlagFilePath(folderText);
    if (!QFileInfo::exists(flagFile))
        return Poll::NoFlag;
    if (runActive)
        return Poll::RunActive;
    return RunAndDeleteFlag(flagFile, run);
}

// An error deletes the flag too: a run that fails would otherwise be started again at
// every poll, with the same error each time.
UnattendedStart::Poll UnattendedStart::RunAndDeleteFlag(const QString& flagFile,
                                                        const std::function<void()>& run)
{
    try {
        run();
    } catch (...) {
        DeleteFlagFile(flagFile, m_deleteRetryMs);
        throw;
    }
    return DeleteFlagFile(flagFile, m_deleteRetryMs) ? Poll::Ran : Poll::FlagKept;
}

// Feeds arbitrary bytes to the readers of the settings files: "ops.txt" (applied to a window
// stand-in), "opsDir.txt" (read, written and read again: the same settings must come back)
// and the caption file "NameForm.txt". A bad value may end in VemoError, nothing else.
#include "files/SettingsFile.h"
#include "files/UnitFindFilesSL.h"
#include "files/VemoError.h"
#include "folder/DirSettings.h"
#include "main/OpsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

class WindowStandIn : public OpsFile::Target
{
public:
    void SetVoiceIndex(const QString& lang, int index) override
    {
        if (lang != QStringLiteral("R") && lang != QStringLiteral("E"))
            __builtin_trap();
        if (index < 0 || index > 100)
            throw VemoError(QStringLiteral("no voice %1").arg(index));
    }
    // A voice id chooses the voice only when it is installed: here none is.
    bool SetVoiceId(const QString& lang, const QString&) override
    {
        if (lang != QStringLiteral("R") && lang != QStringLiteral("E"))
            __builtin_trap();
        return false;
    }
    void SetGroupVisible(OpsFile::Group, bool) override {}
};

bool SameSettings(const DirSettings& a, const DirSettings& b)
{
    return a.converterFolder == b.converterFolder && a.cover == b.cover &&
           a.commandTemplate == b.commandTemplate && a.folderName == b.folderName &&
           a.makeVideos == b.makeVideos && a.coverRule == b.coverRule;
}

void DirSettingsRoundTrip(const QString& path, const QString& copy)
{
    DirSettings read;
    try {
        read.Load(path);
    } catch (const VemoError&) {
        return;
    }
    read.Save(copy);
    DirSettings again;
    again.Load(copy);
    if (!SameSettings(read, again))
        __builtin_trap();
}

void NameForm(const QString& path)
{
    const QString text = StrLoadFromFile(path, 1, 0);
    if (text.contains(QChar(0)) || (!text.isEmpty() && !text.endsWith(QStringLiteral("\r\n"))))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory when the system offers it: every save is synced to its disk.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/vemo-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/vemo-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("settings.txt"));
    static const QString copy = dir.filePath(QStringLiteral("copy.txt"));
    // The log of a failed read goes beside the files, not into the folder the fuzzer runs in.
    static const bool inDir = QDir::setCurrent(dir.path());
    (void)inDir;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            __builtin_trap();
    }
    WindowStandIn window;
    try {
        OpsFile::Apply(SettingsFile::Load(path), path, window);
    } catch (const VemoError&) {
    }
    DirSettingsRoundTrip(path, copy);
    NameForm(path);
    return 0;
}

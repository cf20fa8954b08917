#include "main/OpsFile.h"

#include "files/SettingsFile.h"
#include "files/VemoError.h"

#include <functional>
#include <optional>

namespace {

const QString KeyVoiceRu = QStringLiteral("cbVoicesRu.ItemIndex");
const QString KeyVoiceEng = QStringLiteral("cbVoicesEng.ItemIndex");
const QString KeyLogVisible = QStringLiteral("GroupBoxLog.Visible");
const QString KeyControlVisible = QStringLiteral("GroupBoxControl.Visible");
const QString KeyVoiceIdRu = QStringLiteral("cbVoicesRu.VoiceId");
const QString KeyVoiceIdEng = QStringLiteral("cbVoicesEng.VoiceId");

QString Flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Runs apply with the integer value of key, when the file has a non-empty one; any error
// is reported with the file and the line.
void ApplyKey(const SettingsFile& file, const QString& fileName, const QString& key,
              const std::function<void(int)>& apply)
{
    const std::optional<QString> value = file.Value(key);
    if (!value || value->isEmpty())
        return;
    try {
        apply(SettingsInteger(*value));
    } catch (const VemoError& e) {
        throw VemoError(QStringLiteral("%1, %2=%3: %4").arg(fileName, key, *value, e.Message()));
    }
}

// The voice of lang by its id when the file names one that is installed, else by its index.
void ApplyVoice(const SettingsFile& file, const QString& fileName, const QString& lang,
                OpsFile::Target& target)
{
    const bool russian = lang == u"R";
    const std::optional<QString> id = file.Value(russian ? KeyVoiceIdRu : KeyVoiceIdEng);
    if (id && !id->trimmed().isEmpty() && target.SetVoiceId(lang, id->trimmed()))
        return;
    ApplyKey(file, fileName, russian ? KeyVoiceRu : KeyVoiceEng,
             [&](int v) { target.SetVoiceIndex(lang, v); });
}

} // namespace

QStringList OpsFile::Lines(const Values& values)
{
    return {KeyVoiceRu + u'=' + QString::number(values.VoiceRuIndex),
            KeyVoiceEng + u'=' + QString::number(values.VoiceEngIndex),
            KeyLogVisible + u'=' + Flag(values.LogVisible),
            KeyControlVisible + u'=' + Flag(values.ControlVisible),
            KeyVoiceIdRu + u'=' + values.VoiceRuId,
            KeyVoiceIdEng + u'=' + values.VoiceEngId};
}

void OpsFile::Apply(const SettingsFile& file, const QString& fileName, Target& target)
{
    ApplyVoice(file, fileName, QStringLiteral("R"), target);
    ApplyVoice(file, fileName, QStringLiteral("E"), target);
    ApplyKey(file, fileName, KeyControlVisible,
             [&](int v) { target.SetGroupVisible(Group::Control, v != 0); });
    ApplyKey(file, fileName, KeyLogVisible, [&](int v) { target.SetGroupVisible(Group::Log, v != 0); });
}

#include "main/MainSettings.h"

#include "files/SettingsFile.h"
#include "main/FormMain.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>

MainSettings::MainSettings(TFormMain& form) : m_form(form) {}

QString MainSettings::Path()
{
    return SettingsFilePath(OpsFile::FileName);
}

void MainSettings::Load()
{
    const QString path = Path();
    if (!QFileInfo::exists(path))
        return;
    OpsFile::Apply(SettingsFile::Load(path), path, *this);
}

OpsFile::Values MainSettings::Current() const
{
    OpsFile::Values values;
    values.VoiceRuIndex = m_form.cbVoicesRu->currentIndex();
    values.VoiceEngIndex = m_form.cbVoicesEng->currentIndex();
    values.VoiceRuId = m_form.KeptVoiceId(QStringLiteral("R"));
    values.VoiceEngId = m_form.KeptVoiceId(QStringLiteral("E"));
    values.LogVisible = !m_form.GroupBoxLog->isHidden();
    values.ControlVisible = !m_form.GroupBoxControl->isHidden();
    return values;
}

void MainSettings::Save() const
{
    SettingsFile::Save(Path(), OpsFile::Lines(Current()));
}

void MainSettings::SetVoiceIndex(const QString& lang, int index)
{
    m_form.SetVoiceIndex(lang, index);
}

bool MainSettings::SetVoiceId(const QString& lang, const QString& id)
{
    return m_form.SetVoiceId(lang, id);
}

void MainSettings::SetGroupVisible(OpsFile::Group group, bool visible)
{
    (group == OpsFile::Group::Control ? m_form.GroupBoxControl : m_form.GroupBoxLog)->setHidden(!visible);
}

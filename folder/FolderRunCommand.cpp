#include "folder/FolderRunCommand.h"

#include "folder/FolderRun.h"
#include "folder/FormFolderRunHost.h"
#include "folder/UnitFileSelectDir.h"
#include "main/ErrorGuard.h"
#include "main/FileRunRestorer.h"
#include "main/FormMain.h"
#include "main/RadioGroup.h"
#include "soundfile/FormToFileHost.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QList<QPushButton*> RunButtons(const TFormMain& form)
{
    return {form.ButtonStart, form.ButtonStop, form.BPause, form.ButtonButtonToFile, form.ButtonDirToSound};
}

} // namespace

FolderRunCommand::FolderRunCommand(TFormMain& form, TFormFileSelectDir& dialog)
    : QObject(&form), m_form(form), m_dialog(dialog), m_unattended([this](const QString& line) { Log(line); })
{
    m_form.TimerDirToSoundAndAvi->setInterval(UnattendedStart::IntervalMs);
    connect(form.ButtonDirToSound, &QPushButton::clicked, this, &FolderRunCommand::ButtonDirToSoundClick);
    connect(form.ChkBoxAutoStart, &QCheckBox::clicked, this, &FolderRunCommand::ChkBoxAutoStartClick);
    connect(form.TimerDirToSoundAndAvi, &QTimer::timeout, this,
            &FolderRunCommand::TimerDirToSoundAndAviTimer);
}

QString FolderRunCommand::RefusedMessage()
{
    return QStringLiteral("Запуск без диалога отменён: в диалоге папки не задано имя папки или не выбран "
                          "формат Wav");
}

void FolderRunCommand::ButtonDirToSoundClick()
{
    Guarded(&m_form, [this] { RunUnlessActive(); });
}

void FolderRunCommand::ChkBoxAutoStartClick()
{
    if (m_form.ChkBoxAutoStart->isChecked())
        m_form.TimerDirToSoundAndAvi->start();
    else
        m_form.TimerDirToSoundAndAvi->stop();
}

// The timer is off while the run it started goes on, and back on afterwards exactly when
// the box is still checked, also after an error.
void FolderRunCommand::TimerDirToSoundAndAviTimer()
{
    if (!m_form.ChkBoxAutoStart->isChecked())
        return;
    const bool busy = m_running || m_form.FileRunActive;
    Guarded(&m_form, [this, busy] {
        m_unattended.Check(m_dialog.EditNameFileDir->text(), busy, [this] {
            m_form.TimerDirToSoundAndAvi->stop();
            RunUnlessActive();
        });
    });
    if (!busy)
        ChkBoxAutoStartClick();
}

// A click while a run is active does nothing: the run owns the file stream.
void FolderRunCommand::RunUnlessActive()
{
    if (m_running || m_form.FileRunActive)
        return;
    m_running = true;
    try {
        Run();
    } catch (...) {
        m_running = false;
        throw;
    }
    m_running = false;
}

void FolderRunCommand::Run()
{
    const FileRunRestorer restorer(m_form, RunButtons(m_form));
    Prepare();
    if (!TakeSettings())
        return;
    const FolderRunSettings settings = SettingsFromDialog();
    m_form.FileRunActive = true;
    FormFolderRunHost host(m_form);
    for (QPushButton* button : RunButtons(m_form))
        button->setEnabled(false);
    m_form.ControlTTSSpeechSynthesisPause->setEnabled(false);
    m_form.TimerNextFragment->stop();
    m_form.Reading().Speaking = false;
    FormToFileHost speaker(m_form, restorer.Caption());
    m_form.StopToFileRequested = false;
    FolderRun(speaker, host, settings).Run();
}

void FolderRunCommand::Prepare()
{
    m_form.MLog->clear();
    m_form.MLog->repaint();
    m_form.Reading().StreamEnded = false;
    m_form.ButtonDirToSound->setEnabled(false);
    m_form.Reading().DigitLang =
        m_form.RGDigitSay->ItemIndex() == 0 ? QStringLiteral("R") : QStringLiteral("E");
    m_form.BreakOffReading();
    m_form.StopToFileRequested = false;
}

// Unattended, the dialog is not shown: its settings are taken as they stand, and a refusal
// of its Accept (no folder name, no WAV format) is logged and ends the run.
bool FolderRunCommand::TakeSettings()
{
    if (!m_form.ChkBoxAutoStart->isChecked()) {
        m_dialog.exec();
        return m_dialog.Accepted;
    }
    m_dialog.Activate();
    m_dialog.setResult(QDialog::Rejected);
    m_dialog.Accept();
    if (m_dialog.result() == QDialog::Accepted)
        return true;
    Log(RefusedMessage());
    return false;
}

FolderRunSettings FolderRunCommand::SettingsFromDialog() const
{
    FolderRunSettings settings;
    settings.folderName = m_dialog.FolderName;
    settings.streamFormatType = m_dialog.StreamFormatType;
    settings.divide = m_dialog.CBoxDivFile->isChecked();
    settings.partCharLimit = m_dialog.EditMaxSimvolInFragm->text();
    settings.mp3 = m_dialog.CheckBoxMP3->isChecked();
    if (settings.mp3)
        settings.encoderConfig = m_dialog.EncoderConfig;
    settings.xml = m_form.CBoxIsXML->isChecked();
    settings.digitLang = m_form.Reading().DigitLang;
    settings.video = m_dialog.VideoSettings();
    settings.makeVideos = m_dialog.CheckBoxAvi->isChecked();
    return settings;
}

void FolderRunCommand::Log(const QString& line)
{
    m_form.MLog->appendPlainText(line);
}

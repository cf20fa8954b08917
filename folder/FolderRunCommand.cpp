#include "folder/FolderRunCommand.h"

#include "files/VemoError.h"
#include "folder/FolderRun.h"
#include "folder/FormFolderRunHost.h"
#include "folder/UnitFileSelectDir.h"
#include "main/ErrorGuard.h"
#include "main/FileRunSession.h"
#include "main/FormMain.h"
#include "soundfile/FormToFileHost.h"
#include "speech/SpeechVoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

// A worker speaks with the voice, rate and volume the window's voice has now.
VoiceArguments VoiceArgumentsOf(const SpeechVoice& voice)
{
    VoiceArguments arguments;
    arguments.name = voice.Voice().id;
    arguments.rate = voice.Rate();
    arguments.volume = voice.Volume();
    return arguments;
}

} // namespace

FolderRunCommand::FolderRunCommand(TFormMain& form, TFormFileSelectDir& dialog)
    : QObject(&form), m_form(form), m_controls(form.ControlsOfFolderRun()), m_dialog(dialog),
      m_unattended([this](const QString& line) { Log(line); })
{
    m_controls.TimerDirToSoundAndAvi->setInterval(UnattendedStart::IntervalMs);
    connect(m_controls.ButtonDirToSound, &QPushButton::clicked, this,
            &FolderRunCommand::ButtonDirToSoundClick);
    connect(m_controls.ChkBoxAutoStart, &QCheckBox::clicked, this, &FolderRunCommand::ChkBoxAutoStartClick);
    connect(m_controls.TimerDirToSoundAndAvi, &QTimer::timeout, this,
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
    if (m_controls.ChkBoxAutoStart->isChecked())
        m_controls.TimerDirToSoundAndAvi->start();
    else
        m_controls.TimerDirToSoundAndAvi->stop();
}

// The timer is off while the run it started goes on, and back on afterwards exactly when
// the box is still checked, also after an error.
void FolderRunCommand::TimerDirToSoundAndAviTimer()
{
    if (!m_controls.ChkBoxAutoStart->isChecked())
        return;
    const bool busy = m_running || m_form.FileRunActive();
    Guarded(&m_form, [this, busy] {
        m_unattended.Check(m_dialog.EditNameFileDir->text(), busy, [this] {
            m_controls.TimerDirToSoundAndAvi->stop();
            RunUnlessActive();
        });
    });
    if (!busy)
        ChkBoxAutoStartClick();
}

// A click while a run is active does nothing: the run owns the file stream.
void FolderRunCommand::RunUnlessActive()
{
    if (m_running || m_form.FileRunActive())
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
    FileRunSession session = m_form.BeginFileRun(FileRunKind::Folder);
    if (!TakeSettings())
        return;
    const FolderRunSettings settings = SettingsFromDialog(session);
    session.TakeWindow();
    FormFolderRunHost host(session);
    FormToFileHost speaker(session);
    const bool unattended = m_controls.ChkBoxAutoStart->isChecked();
    FolderRunResult result;
    try {
        result = FolderRun(speaker, host, settings).Run();
    } catch (const VemoError& e) {
        // Nobody is there to close a message box: the log pane and the run log tell it.
        if (!unattended)
            throw;
        Log(e.Message());
        return;
    }
    ReportFailures(result, unattended);
}

// The books that failed were logged one by one as the run went; an interactive run also
// names them all in one message at its end.
void FolderRunCommand::ReportFailures(const FolderRunResult& result, bool unattended)
{
    QStringList parts;
    if (!result.failedBooks.isEmpty())
        parts.append(QStringLiteral("Не преобразованы книги (%1):\n").arg(result.failedBooks.size()) +
                     result.FailedBooksText());
    if (!result.failedVideos.isEmpty())
        parts.append(QStringLiteral("Не созданы видео:\n") + result.failedVideos.join(u'\n'));
    if (parts.isEmpty())
        return;
    const QString message = parts.join(QStringLiteral("\n\n"));
    if (unattended)
        Log(message + QStringLiteral("\nПодробности в журнале ") + RunLog::FileName);
    else
        ShowError(&m_form, message + QStringLiteral("\n\nПодробности в журнале ") + RunLog::FileName);
}

// Unattended, the dialog is not shown: its settings are taken as they stand, and a refusal
// of its Accept (no folder name, no WAV format) is logged and ends the run.
bool FolderRunCommand::TakeSettings()
{
    if (!m_controls.ChkBoxAutoStart->isChecked()) {
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

FolderRunSettings FolderRunCommand::SettingsFromDialog(FileRunSession& session) const
{
    FolderRunSettings settings;
    settings.folderName = m_dialog.FolderName;
    settings.sound = m_dialog.SoundFile;
    settings.xml = session.XmlMode();
    settings.digitLang = session.DigitLang();
    settings.video = m_dialog.VideoSettings();
    settings.makeVideos = m_dialog.CheckBoxAvi->isChecked();
    settings.skipExisting = m_dialog.CheckBoxSkipExisting->isChecked();
    settings.workers.program = m_workerProgram;
    settings.workers.jobs = qMax(1, QThread::idealThreadCount());
    settings.workers.ru = VoiceArgumentsOf(session.VoiceRu());
    settings.workers.en = VoiceArgumentsOf(session.VoiceEng());
    settings.formats = m_dialog.Settings().Formats();
    return settings;
}

void FolderRunCommand::Log(const QString& line)
{
    m_form.AppendLog(line);
}

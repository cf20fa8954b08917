#pragma once

#include "folder/UnattendedStart.h"
#include "main/FormMain.h"

#include <QObject>

class FileRunSession;
class TFormFileSelectDir;
struct FolderRunResult;
struct FolderRunSettings;

// The folder run of the main window: the button ButtonDirToSound shows the folder dialog
// (or, with ChkBoxAutoStart checked, takes its settings without showing it) and converts
// the folder with the reading buttons off; the caption and the text box get back what they
// held. With ChkBoxAutoStart checked the timer TimerDirToSoundAndAvi looks every 3 s for
// "Start.Flag" in the dialog's folder and starts an unattended run. One run at a time:
// neither the button nor the timer starts a run inside another or inside a To File run.
class FolderRunCommand : public QObject
{
    Q_OBJECT

public:
    FolderRunCommand(TFormMain& form, TFormFileSelectDir& dialog);

    void ButtonDirToSoundClick();
    void ChkBoxAutoStartClick();
    void TimerDirToSoundAndAviTimer();

    bool Running() const { return m_running; }
    // The program that converts the books in worker processes, one a core, with the
    // window's voices (vemo --convert-file); none: the window converts them itself.
    void SetWorkerProgram(const QString& program) { m_workerProgram = program; }
    UnattendedStart& Unattended() { return m_unattended; }

    // The line logged when an unattended run finds the dialog's settings refused.
    static QString RefusedMessage();

private:
    void RunUnlessActive();
    void Run();
    bool TakeSettings();
    FolderRunSettings SettingsFromDialog(FileRunSession& session) const;
    void ReportFailures(const FolderRunResult& result, bool unattended);
    void Log(const QString& line);

    TFormMain& m_form;
    const FolderRunControls m_controls;
    TFormFileSelectDir& m_dialog;
    UnattendedStart m_unattended;
    bool m_running = false;
    QString m_workerProgram;
};

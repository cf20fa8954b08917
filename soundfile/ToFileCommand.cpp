#include "soundfile/ToFileCommand.h"

#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FileRunSession.h"
#include "main/FormMain.h"
#include "soundfile/FormToFileHost.h"
#include "soundfile/SpeakTextToFile.h"
#include "soundfile/ToFileOptions.h"
#include "soundfile/UnitFileSelect.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

ToFileCommand::ToFileCommand(TFormMain& form, TFormFileSelect& dialog)
    : QObject(&form), m_form(form), m_dialog(dialog)
{
    const ToFileControls controls = form.ControlsOfToFile();
    connect(controls.ButtonButtonToFile, &QPushButton::clicked, this,
            &ToFileCommand::ButtonButtonToFileClick);
    connect(controls.ControlTTSSpeechSynthesisToFile, &QAction::triggered, this,
            &ToFileCommand::ControlTTSSpeechSynthesisToFileClick);
}

void ToFileCommand::ControlTTSSpeechSynthesisToFileClick()
{
    m_form.ControlsOfToFile().ButtonButtonToFile->click();
}

// A second To File while a run is active does nothing: the run owns the file stream.
void ToFileCommand::ButtonButtonToFileClick()
{
    if (m_running || m_form.FileRunActive())
        return;
    m_running = true;
    Guarded(&m_form, [this] { Run(); });
    m_running = false;
}

// The log is cleared and a reading run broken off before the dialog shows.
void ToFileCommand::Run()
{
    FileRunSession session = m_form.BeginFileRun(FileRunKind::ToFile);
    m_dialog.exec();
    if (!m_dialog.Accepted)
        return;
    const ToFileOptions options = OptionsFromDialog(session);
    session.TakeWindow();
    FormToFileHost host(session);
    SpeakTextToFile(host, options, session.ProgramText());
}

// The character limit is read even when the text is not divided: a value that is not a
// whole number ends the command here.
ToFileOptions ToFileCommand::OptionsFromDialog(const FileRunSession& session) const
{
    ToFileOptions options;
    options.sound = m_dialog.SoundFile;
    options.sound.PartCharLimit();
    options.chosenFileName = m_dialog.ChosenFileName;
    options.textFileName = m_form.CurrentFileName();
    options.bookTitle = m_form.Documents().BookTitle();
    options.xml = session.XmlMode();
    options.digitLang = session.DigitLang();
    return options;
}

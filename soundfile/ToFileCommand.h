#pragma once

#include <QObject>

class FileRunSession;
class TFormFileSelect;
class TFormMain;
struct ToFileOptions;

// The To File command of the main window: shows the sound-file dialog and speaks the whole
// text into the chosen file or its numbered parts, with the reading buttons off and the
// voices' output streams taken for the run. The button ButtonButtonToFile runs it; the menu
// entry ControlTTSSpeechSynthesisToFile clicks the button. Stop To File ends the run.
class ToFileCommand : public QObject
{
    Q_OBJECT

public:
    ToFileCommand(TFormMain& form, TFormFileSelect& dialog);

    void ButtonButtonToFileClick();
    void ControlTTSSpeechSynthesisToFileClick();

    bool Running() const { return m_running; }

private:
    void Run();
    ToFileOptions OptionsFromDialog(const FileRunSession& session) const;

    TFormMain& m_form;
    TFormFileSelect& m_dialog;
    bool m_running = false;
};

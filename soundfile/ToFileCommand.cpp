#include "soundfile/ToFileCommand.h"

#include "main/ErrorGuard.h"
#include "main/FileRunRestorer.h"
#include "main/FormMain.h"
#include "main/PositionMap.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"
#include "soundfile/FormToFileHost.h"
#include "soundfile/SpeakTextToFile.h"
#include "soundfile/ToFileOptions.h"
#include "soundfile/UnitFileSelect.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Gives the voices back their output streams, then the window its buttons and caption, at
// the end of a run, also when an error ends it.
class RunRestorer
{
public:
    explicit RunRestorer(TFormMain& form)
        : m_form(form), m_ruStream(form.SpVoiceRu->AudioOutputStream()),
          m_engStream(form.SpVoiceEng->AudioOutputStream()),
          m_window(form, {form.ButtonStart, form.ButtonStop, form.BPause, form.ButtonButtonToFile})
    {}
    ~RunRestorer()
    {
        m_form.SpVoiceRu->setAudioOutputStream(m_ruStream);
        m_form.SpVoiceEng->setAudioOutputStream(m_engStream);
    }
    RunRestorer(const RunRestorer&) = delete;
    RunRestorer& operator=(const RunRestorer&) = delete;
    const QString& Caption() const { return m_window.Caption(); }

private:
    TFormMain& m_form;
    SpFileStream* const m_ruStream;
    SpFileStream* const m_engStream;
    const FileRunRestorer m_window;
};

} // namespace

ToFileCommand::ToFileCommand(TFormMain& form, TFormFileSelect& dialog)
    : QObject(&form), m_form(form), m_dialog(dialog)
{
    connect(form.ButtonButtonToFile, &QPushButton::clicked, this, &ToFileCommand::ButtonButtonToFileClick);
    connect(form.ControlTTSSpeechSynthesisToFile, &QAction::triggered, this,
            &ToFileCommand::ControlTTSSpeechSynthesisToFileClick);
}

void ToFileCommand::ControlTTSSpeechSynthesisToFileClick()
{
    m_form.ButtonButtonToFile->click();
}

// A second To File while a run is active does nothing: the run owns the file stream.
void ToFileCommand::ButtonButtonToFileClick()
{
    if (m_running || m_form.FileRunActive)
        return;
    m_running = true;
    Guarded(&m_form, [this] { Run(); });
    m_running = false;
}

void ToFileCommand::Run()
{
    BeginRun();
    m_dialog.exec();
    if (!m_dialog.Accepted)
        return;
    const ToFileOptions options = OptionsFromDialog();
    m_form.FileRunActive = true;
    RunRestorer restorer(m_form);
    SetReadingButtonsEnabled(false);
    m_form.TimerNextFragment->stop();
    m_form.Reading().Speaking = false;
    FormToFileHost host(m_form, restorer.Caption());
    m_form.StopToFileRequested = false;
    SpeakTextToFile(host, options, PositionMap(m_form.MText->document()->toRawText()).ProgramText());
}

// The log is cleared and a reading run broken off before the dialog shows.
void ToFileCommand::BeginRun()
{
    m_form.MLog->clear();
    m_form.MLog->repaint();
    m_form.Reading().StreamEnded = false;
    m_form.Reading().DigitLang =
        m_form.RGDigitSay->ItemIndex() == 0 ? QStringLiteral("R") : QStringLiteral("E");
    m_form.BreakOffReading();
}

// The character limit is read even when the text is not divided: a value that is not a
// whole number ends the command here.
ToFileOptions ToFileCommand::OptionsFromDialog() const
{
    ToFileOptions options;
    options.partCharLimit = ParsePartCharLimit(m_dialog.EditMaxSimvolInFragm->text());
    options.mp3 = m_dialog.CheckBoxMP3->isChecked();
    if (options.mp3)
        options.encoderConfig = m_dialog.EncoderConfig;
    options.streamFormatType = m_dialog.StreamFormatType;
    options.divide = m_dialog.CBoxDivFile->isChecked();
    options.chosenFileName = m_dialog.ChosenFileName;
    options.textFileName = m_form.CurrentFileName;
    options.xml = m_form.CBoxIsXML->isChecked();
    options.digitLang = m_form.Reading().DigitLang;
    return options;
}

void ToFileCommand::SetReadingButtonsEnabled(bool enabled)
{
    for (QPushButton* button :
         {m_form.ButtonStart, m_form.ButtonStop, m_form.BPause, m_form.ButtonButtonToFile})
        button->setEnabled(enabled);
    m_form.ControlTTSSpeechSynthesisPause->setEnabled(m_form.BPause->isEnabled());
}

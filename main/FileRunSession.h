#pragma once

#include "soundfile/KeptOutputStreams.h"

#include <QList>
#include <QString>
#include <optional>

class QPushButton;
class RichTextBox;
class SpFileStream;
class SpeechVoice;
class TFormMain;
struct FragmentLists;

// The two runs of the main window that speak into files.
enum class FileRunKind
{
    ToFile, // To File: the whole text into one file or its numbered parts
    Folder  // the folder run: every text file of a folder
};

// A run into files in the main window, from the click on its button to its end. Made by
// TFormMain::BeginFileRun, it clears the log, breaks off a reading run (a paused one is
// resumed first), takes the digit language from the window and clears the stop request; the
// folder run's button goes off at once. TakeWindow() then gives the window to the run: the
// window is in file-run mode, the reading buttons and the Pause entry are off, the reading
// timer stands still and the voices' output streams are kept. When the session ends, also
// by an error, the buttons, the Pause entry, the caption and the voices' streams come back,
// the reading run is neither speaking nor paused and the window leaves file-run mode.
// Through the session, and nothing else of the window, the run works with the voices, the
// file stream, the fragment lists and the text, and shows its log lines and progress.
class FileRunSession
{
public:
    FileRunSession(TFormMain& form, FileRunKind kind);
    ~FileRunSession();
    FileRunSession(const FileRunSession&) = delete;
    FileRunSession& operator=(const FileRunSession&) = delete;

    void TakeWindow();

    // The caption as it was when the run began: the progress is shown after it.
    const QString& Caption() const { return m_caption; }
    // The language that reads digits ("R" or "E") and whether the text carries speech
    // markup, as the main window has them chosen.
    QString DigitLang() const;
    bool XmlMode() const;

    // What the run speaks with and into: the window's voices, its file stream, the fragment
    // lists it shares with the reading run (the run counts them with SetFragmentIndex), and
    // Stop To File's request.
    SpeechVoice& VoiceRu();
    SpeechVoice& VoiceEng();
    SpFileStream& FileStream();
    FragmentLists& Fragments();
    void SetFragmentIndex(int index);
    bool StopToFileRequested() const;

    // The text box's whole text, line breaks as CR LF; the box itself, for a run that shows
    // the texts it reads there.
    QString ProgramText() const;
    RichTextBox& TextBox();

    // What the run shows: the log pane's whole text, a line added to it, the caption, the
    // program's name with a file in the caption, an error in a message box.
    void ShowLog(const QString& text);
    void AppendLog(const QString& line);
    void ShowCaption(const QString& caption);
    void ShowFileInCaption(const QString& fileName);
    void ShowError(const QString& message);

private:
    static QList<QPushButton*> RunButtons(const TFormMain& form, FileRunKind kind);

    TFormMain& m_form;
    const QList<QPushButton*> m_buttons;
    const QString m_caption;
    std::optional<KeptOutputStreams> m_streams;
};

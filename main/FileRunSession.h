#pragma once

#include "soundfile/KeptOutputStreams.h"

#include <QList>
#include <QString>
#include <optional>

class QPushButton;
class TFormMain;

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

private:
    TFormMain& m_form;
    const QList<QPushButton*> m_buttons;
    const QString m_caption;
    std::optional<KeptOutputStreams> m_streams;
};

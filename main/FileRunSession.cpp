#include "main/FileRunSession.h"

#include "documents/PositionMap.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

QList<QPushButton*> FileRunSession::RunButtons(const TFormMain& form, FileRunKind kind)
{
    QList<QPushButton*> buttons{form.ButtonStart, form.ButtonStop, form.BPause, form.ButtonButtonToFile};
    if (kind == FileRunKind::Folder)
        buttons.append(form.ButtonDirToSound);
    return buttons;
}

FileRunSession::FileRunSession(TFormMain& form, FileRunKind kind)
    : m_form(form), m_buttons(RunButtons(form, kind)), m_caption(form.windowTitle())
{
    m_form.MLog->clear();
    m_form.MLog->repaint();
    if (kind == FileRunKind::Folder)
        m_form.ButtonDirToSound->setEnabled(false);
    m_form.m_reading->SetDigitLang(m_form.m_view.DigitChoice());
    m_form.BreakOffReading();
    m_form.m_stopToFileRequested = false;
}

void FileRunSession::TakeWindow()
{
    m_form.m_fileRunActive = true;
    m_streams.emplace(*m_form.SpVoiceRu, *m_form.SpVoiceEng);
    for (QPushButton* button : m_buttons)
        button->setEnabled(false);
    m_form.ControlTTSSpeechSynthesisPause->setEnabled(false);
    m_form.m_reading->Hold();
    m_form.m_stopToFileRequested = false;
}

FileRunSession::~FileRunSession()
{
    m_streams.reset();
    for (QPushButton* button : m_buttons)
        button->setEnabled(true);
    m_form.ControlTTSSpeechSynthesisPause->setEnabled(m_form.BPause->isEnabled());
    m_form.m_reading->Release();
    m_form.setWindowTitle(m_caption);
    m_form.m_fileRunActive = false;
}

QString FileRunSession::DigitLang() const
{
    return m_form.Reading().DigitLang();
}

bool FileRunSession::XmlMode() const
{
    return m_form.CBoxIsXML->isChecked();
}

SpeechVoice& FileRunSession::VoiceRu()
{
    return *m_form.SpVoiceRu;
}

SpeechVoice& FileRunSession::VoiceEng()
{
    return *m_form.SpVoiceEng;
}

SpFileStream& FileRunSession::FileStream()
{
    return m_form.FileStream();
}

FragmentLists& FileRunSession::Fragments()
{
    return m_form.m_reading->Fragments();
}

void FileRunSession::SetFragmentIndex(int index)
{
    m_form.m_reading->SetFragmentIndex(index);
}

bool FileRunSession::StopToFileRequested() const
{
    return m_form.m_stopToFileRequested;
}

QString FileRunSession::ProgramText() const
{
    return PositionMap(m_form.MText->document()->toRawText()).ProgramText();
}

RichTextBox& FileRunSession::TextBox()
{
    return *m_form.MText;
}

void FileRunSession::ShowLog(const QString& text)
{
    m_form.MLog->setPlainText(text);
}

void FileRunSession::AppendLog(const QString& line)
{
    m_form.AppendLog(line);
}

void FileRunSession::ShowCaption(const QString& caption)
{
    m_form.setWindowTitle(caption);
}

void FileRunSession::ShowFileInCaption(const QString& fileName)
{
    m_form.ShowFileInCaption(fileName);
}

void FileRunSession::ShowError(const QString& message)
{
    ::ShowError(&m_form, message);
}

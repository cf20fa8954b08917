#include "main/FileRunSession.h"

#include "main/FormMain.h"
#include "main/RadioGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QList<QPushButton*> RunButtons(const TFormMain& form, FileRunKind kind)
{
    QList<QPushButton*> buttons{form.ButtonStart, form.ButtonStop, form.BPause, form.ButtonButtonToFile};
    if (kind == FileRunKind::Folder)
        buttons.append(form.ButtonDirToSound);
    return buttons;
}

} // namespace

FileRunSession::FileRunSession(TFormMain& form, FileRunKind kind)
    : m_form(form), m_buttons(RunButtons(form, kind)), m_caption(form.windowTitle())
{
    m_form.MLog->clear();
    m_form.MLog->repaint();
    if (kind == FileRunKind::Folder)
        m_form.ButtonDirToSound->setEnabled(false);
    m_form.Reading().SetDigitLang(m_form.m_view.DigitChoice());
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
    m_form.Reading().Hold();
    m_form.m_stopToFileRequested = false;
}

FileRunSession::~FileRunSession()
{
    m_streams.reset();
    for (QPushButton* button : m_buttons)
        button->setEnabled(true);
    m_form.ControlTTSSpeechSynthesisPause->setEnabled(m_form.BPause->isEnabled());
    m_form.Reading().Release();
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

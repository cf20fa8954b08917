#pragma once

#include "main/FormMain.h"

#include <QAction>
#include <QList>
#include <QPushButton>

// The window as it was before a run into files (To File or the folder run): the given
// buttons, the Pause menu entry, the reading state, the caption and the run flag come back
// when the run ends, also when an error ends it.
class FileRunRestorer
{
public:
    FileRunRestorer(TFormMain& form, QList<QPushButton*> buttons)
        : m_form(form), m_buttons(std::move(buttons)), m_caption(form.windowTitle())
    {}
    ~FileRunRestorer()
    {
        for (QPushButton* button : m_buttons)
            button->setEnabled(true);
        m_form.ControlTTSSpeechSynthesisPause->setEnabled(m_form.BPause->isEnabled());
        m_form.Reading().Speaking = false;
        m_form.Reading().Paused = false;
        m_form.setWindowTitle(m_caption);
        m_form.FileRunActive = false;
    }
    FileRunRestorer(const FileRunRestorer&) = delete;
    FileRunRestorer& operator=(const FileRunRestorer&) = delete;
    const QString& Caption() const { return m_caption; }

private:
    TFormMain& m_form;
    const QList<QPushButton*> m_buttons;
    const QString m_caption;
};

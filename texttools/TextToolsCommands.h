#pragma once

#include "main/FormMain.h"

#include <QObject>

class TFormGetText;
class TFormPT;

// Connects the main window's buttons "Обр.Текста" (BProsTxt) and the drop-window button
// (SButtonGetText) to the text-processing window and the drop window: the main text goes to
// the processing window and comes back only when the user accepts it; the text collected by
// the drop window becomes the main text of an untitled document. Every handler runs through
// the error guard.
class TextToolsCommands : public QObject
{
    Q_OBJECT

public:
    TextToolsCommands(TFormMain& form, TFormPT& formPT, TFormGetText& formGetText);

    void BProsTxtClick();
    void SButtonGetTextClick();

private:
    void HandOverToFormPT();
    void TakeBackFromFormPT();
    QString CollectDrops();

    TFormMain& m_form;
    const TextToolsControls m_controls;
    TFormPT& m_formPT;
    TFormGetText& m_formGetText;
};

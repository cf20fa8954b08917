#pragma once

#include <QDialog>
#include <functional>

class MarkupPalette;
class QColorDialog;
class QFontDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;

// The text-processing window: the user works on a copy of the main text with the clean-up
// rules and the markup palette, then takes the copy back (Accepted) or drops it (Rejected).
// The caller fills RETxt before exec() and reads it afterwards; the window keeps its tab,
// edit boxes, font and colour from one opening to the next.
class TFormPT : public QDialog
{
    Q_OBJECT

public:
    explicit TFormPT(QWidget* parent = nullptr);

    // Plain-text mode of RETxt: on, it takes and gives plain text only.
    void SetPlainTextMode(bool plain);
    bool PlainTextMode() const;

    // Inserts text at RETxt's caret through the system clipboard, replacing the selection;
    // the clipboard keeps the text. Throws VemoError, inserting nothing, when the clipboard
    // cannot take the text.
    void InsertMarkup(const QString& text);

    QGroupBox* GroupBoxOperations;
    QTabWidget* PageControl;
    QPushButton* ButtonDelTag;
    QPushButton* ButtonRemovingCarrying;
    QPushButton* ButtonReplace;
    QLineEdit* EditReplace;
    QLineEdit* EditReplaceOn;
    QPushButton* ButtonDelOneVK;
    QPushButton* ButtonDelDVK;
    MarkupPalette* TabXml;
    QPushButton* ButtonFont;
    QPushButton* ButtonColor;
    QGroupBox* GroupBoxText;
    QTextEdit* RETxt;
    QWidget* PanelChoice;
    QPushButton* ButtonExit;
    QPushButton* ButtonOk;
    QFontDialog* FontDialog;
    QColorDialog* ColorDialog;

public slots:
    void ButtonDelTagClick();
    void ButtonRemovingCarryingClick();
    void ButtonReplaceClick();
    void ButtonDelOneVKClick();
    void ButtonDelDVKClick();
    void ButtonFontClick();
    void FontDialogApply();
    void ButtonColorClick();

protected:
    // Puts text on the system clipboard; false when the clipboard does not hold it afterwards.
    virtual bool SetClipboardText(const QString& text);
    void showEvent(QShowEvent* event) override;

private:
    QWidget* MakeCleanupTab();
    QWidget* MakeSettingsTab();
    QGroupBox* MakeTextGroup();
    QWidget* MakeChoicePanel();
    QPushButton* MakeButton(const char* name, const QString& caption, void (TFormPT::*handler)());
    void FormCreate();
    void ApplyRule(const std::function<QString(const QString&)>& rule);
    void ApplyFontToWholeText(const QFont& font);
    void SetBackground(const QColor& colour);
    void MarkupChosen(const QString& markup);

    bool m_placed = false;
};

#pragma once

#include "documents/TextDocumentIO.h"

#include <QColor>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QColorDialog;
class QDialog;
class QFileDialog;
class QFontDialog;
class TAboutBox;
class TFormMain;

// The commands that treat the main window's text as a document: the File menu (Open, Save,
// Save As, New, Exit), the font and background-colour buttons and the Help menu. Every File
// command first stops a reading run, even when its dialog is then cancelled; every handler
// runs through the error guard. The plain-text mode of the text box decides how files are
// read and written; a plain text keeps the encoding it was opened in. New, Open, a dropped
// file and closing the window ask whether to save a text changed since it was opened, saved
// or started (Save / Discard / Cancel).
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    explicit DocumentCommands(TFormMain& form);
    ~DocumentCommands() override;

    // Shows a modal dialog and tells whether the user confirmed it. Tests replace it to
    // answer in the user's place; the save-changes question is answered by the button that
    // was clicked in it (none: Cancel).
    std::function<bool(QDialog&)> ExecDialog;

    QFileDialog* OpenTextFileDialog = nullptr;
    QFileDialog* SaveTextFileDialog = nullptr;
    QFontDialog* FontDialog = nullptr;
    QColorDialog* FontColorDialog = nullptr;
    QColorDialog* ColorDialog = nullptr;
    TAboutBox* AboutBox = nullptr;
    // Every name accepted in the two file dialogs during the run, oldest first.
    QStringList OpenTextFileHistory;
    QStringList SaveTextFileHistory;

    // The colour the font dialog gives the text (the font dialog's own colour choice).
    QColor FontColor;

    // The encoding a plain-text save writes while the text has a file name; an untitled
    // text is saved as UTF-8.
    DocumentEncoding Encoding() const;
    // The title of the book the text was opened from, while it still bears the book's name;
    // empty for a text file or a new text.
    QString BookTitle() const;

    // Open's steps after the dialog: the file replaces the text, becomes CurrentFileName and
    // is named in the caption. Throws VemoError, leaving text, name and caption unchanged.
    void OpenFile(const QString& path);

    // True when the text may be replaced or closed: it was not changed, or the user saved
    // it or chose to discard it. False when the user cancelled or the save was cancelled.
    // Throws VemoError, keeping the text, when the save fails.
    bool MayDiscardText();
    // A file dropped onto the text box: Stop, the question above, then Open's steps.
    void OpenDroppedFile(const QString& path);
    // The text (collected by the drop window) starts an untitled document; the caption keeps
    // the old name until the next File command sets it.
    void TakeUntitledText(const QString& text);

    void FilesOpenClick();
    void FilesSaveClick();
    void FilesSaveAsClick();
    void FilesNewClick();
    void FilesExitClick();
    void HelpMenuClick();
    void ButtonFontClick();
    void ButtonColorClick();
    void FontDialogApply();
    void FontColorClick();

protected:
    // Lets the File menu's shortcuts (Ctrl+Z above all) win over the text box's own keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateDialogs();
    void AddFontDialogButtons();
    void ConnectActions();
    void Stop();
    std::optional<QString> ChooseFile(QFileDialog& dialog, QStringList& history);
    bool SaveAs();
    void SaveTo(const QString& path);
    bool Save();
    void ApplyFontToWholeText();

    TFormMain& m_form;
    DocumentEncoding m_encoding;
    bool m_openedBook = false; // the text came from a book (FB2, EPUB, ...), not a text file
    QString m_bookTitle;       // that book's own title
};

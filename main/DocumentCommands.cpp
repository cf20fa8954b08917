#include "main/DocumentCommands.h"

#include "main/About.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"

#include <QAction>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

DocumentCommands::DocumentCommands(TFormMain& form)
    : QObject(&form), ExecDialog([](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }),
      m_form(form)
{
    setObjectName(QStringLiteral("DocumentCommands"));
    CreateDialogs();
    ConnectActions();
    m_form.MText->installEventFilter(this);
}

DocumentCommands::~DocumentCommands() = default;

void DocumentCommands::CreateDialogs()
{
    OpenTextFileDialog = new QFileDialog(&m_form);
    OpenTextFileDialog->setObjectName(QStringLiteral("OpenTextFileDialog"));
    OpenTextFileDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenTextFileDialog->setFileMode(QFileDialog::ExistingFile);
    OpenTextFileDialog->setNameFilter(QStringLiteral(
        "Текстовые файлы (*.txt);;Все файлы (*);;Rtf Files (*.rtf);;"
        "Книги FB2, EPUB, DOCX, ODT, HTML (*.fb2 *.fb2.zip *.epub *.docx *.odt *.html *.htm *.xhtml)"));
    SaveTextFileDialog = new QFileDialog(&m_form);
    SaveTextFileDialog->setObjectName(QStringLiteral("SaveTextFileDialog"));
    SaveTextFileDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveTextFileDialog->setFileMode(QFileDialog::AnyFile);
    SaveTextFileDialog->setNameFilter(QStringLiteral("Текстовые файлы (*.txt);;RTF Fils (*.rtf)"));
    SaveTextFileDialog->setDefaultSuffix(QStringLiteral("txt"));

    // The font dialog starts from the text box's font and text colour, the colour dialog
    // from its background.
    FontDialog = new QFontDialog(m_form.MText->font(), &m_form);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);
    FontColor = m_form.MText->palette().color(QPalette::Text);
    FontColorDialog = new QColorDialog(FontColor, FontDialog);
    FontColorDialog->setObjectName(QStringLiteral("FontColorDialog"));
    AddFontDialogButtons();
    ColorDialog = new QColorDialog(m_form.MText->palette().color(QPalette::Base), &m_form);
    ColorDialog->setObjectName(QStringLiteral("ColorDialog"));
}

// The font dialog gets an Apply button (the text box's base font) and a colour button
// (the colour that OK gives the text).
void DocumentCommands::AddFontDialogButtons()
{
    auto* buttons = FontDialog->findChild<QDialogButtonBox*>();
    QPushButton* apply = buttons->addButton(QDialogButtonBox::Apply);
    apply->setObjectName(QStringLiteral("FontDialogApplyButton"));
    connect(apply, &QPushButton::clicked, this, &DocumentCommands::FontDialogApply);
    QPushButton* colour = buttons->addButton(QStringLiteral("Цвет (Color)..."), QDialogButtonBox::ActionRole);
    colour->setObjectName(QStringLiteral("FontColorButton"));
    connect(colour, &QPushButton::clicked, this, &DocumentCommands::FontColorClick);
}

void DocumentCommands::ConnectActions()
{
    connect(m_form.FilesOpen, &QAction::triggered, this, &DocumentCommands::FilesOpenClick);
    connect(m_form.FilesSave, &QAction::triggered, this, &DocumentCommands::FilesSaveClick);
    connect(m_form.FilesSaveAs, &QAction::triggered, this, &DocumentCommands::FilesSaveAsClick);
    connect(m_form.FilesNew, &QAction::triggered, this, &DocumentCommands::FilesNewClick);
    connect(m_form.FilesExit, &QAction::triggered, this, &DocumentCommands::FilesExitClick);
    connect(m_form.HelpMenu, &QAction::triggered, this, &DocumentCommands::HelpMenuClick);
    connect(m_form.ButtonFont, &QPushButton::clicked, this, &DocumentCommands::ButtonFontClick);
    connect(m_form.ButtonColor, &QPushButton::clicked, this, &DocumentCommands::ButtonColorClick);
    connect(m_form.MText, &RichTextBox::FileDropped, this, &DocumentCommands::OpenDroppedFile);
}

bool DocumentCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_form.MText || event->type() != QEvent::ShortcutOverride)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* action : {m_form.FilesOpen, m_form.FilesSave, m_form.FilesSaveAs, m_form.FilesNew}) {
        if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
            // Not accepted: the text box does not take the key, the menu's shortcut runs.
            event->ignore();
            return true;
        }
    }
    return false;
}

DocumentEncoding DocumentCommands::Encoding() const
{
    return m_form.m_currentFileName.isEmpty() ? DocumentEncoding{} : m_encoding;
}

QString DocumentCommands::BookTitle() const
{
    return m_openedBook && !m_form.m_currentFileName.isEmpty() ? m_bookTitle : QString();
}

void DocumentCommands::Stop()
{
    m_form.ButtonStopClick();
}

std::optional<QString> DocumentCommands::ChooseFile(QFileDialog& dialog, QStringList& history)
{
    dialog.setHistory(history);
    if (!ExecDialog(dialog))
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    history.append(chosen.first());
    return chosen.first();
}

void DocumentCommands::OpenFile(const QString& path)
{
    // The file is read into a new document that replaces the box's one only when reading
    // succeeded: a failed Open leaves the text as it was, and a text box that is not told
    // of every insertion takes a long text several times faster.
    RichTextBox& box = *m_form.MText;
    auto loaded = std::make_unique<QTextDocument>();
    loaded->setDefaultFont(box.document()->defaultFont());
    LoadedFormat format;
    const DocumentEncoding encoding =
        LoadDocument(path, box.PlainTextMode(), *loaded, box.MaxLength(), &format);
    loaded->clearUndoRedoStacks();
    loaded->setModified(false);
    loaded->setParent(&box);
    box.setDocument(loaded.release());
    m_encoding = encoding;
    m_openedBook = IsBook(format.format);
    m_bookTitle = format.title;
    m_form.m_currentFileName = path;
    m_form.UpdateCaption();
}

void DocumentCommands::FilesOpenClick()
{
    Guarded(&m_form, [this] {
        Stop();
        if (!MayDiscardText())
            return;
        if (const std::optional<QString> path = ChooseFile(*OpenTextFileDialog, OpenTextFileHistory))
            OpenFile(*path);
    });
}

void DocumentCommands::OpenDroppedFile(const QString& path)
{
    Guarded(&m_form, [&] {
        Stop();
        if (MayDiscardText())
            OpenFile(path);
    });
}

void DocumentCommands::TakeUntitledText(const QString& text)
{
    m_form.MText->SetWholeText(text);
    m_form.m_currentFileName.clear();
}

bool DocumentCommands::MayDiscardText()
{
    if (!m_form.MText->document()->isModified())
        return true;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Вемо"),
                         QStringLiteral("Текст изменён. Сохранить изменения? (Save changes?)"),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &m_form);
    question.setObjectName(QStringLiteral("SaveChangesQuestion"));
    question.button(QMessageBox::Save)->setText(QStringLiteral("Сохранить (Save)"));
    question.button(QMessageBox::Discard)->setText(QStringLiteral("Не сохранять (Discard)"));
    question.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена (Cancel)"));
    question.setDefaultButton(QMessageBox::Save);
    question.setEscapeButton(QMessageBox::Cancel);
    ExecDialog(question);
    switch (question.standardButton(question.clickedButton())) {
    case QMessageBox::Save:
        return Save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void DocumentCommands::SaveTo(const QString& path)
{
    const RichTextBox& box = *m_form.MText;
    m_encoding = SaveDocument(path, box.PlainTextMode(), *box.document(), Encoding());
    box.document()->setModified(false);
}

// False when the user cancelled the dialog.
bool DocumentCommands::SaveAs()
{
    const std::optional<QString> path = ChooseFile(*SaveTextFileDialog, SaveTextFileHistory);
    if (!path)
        return false;
    SaveTo(*path);
    m_openedBook = false;
    m_form.m_currentFileName = *path;
    m_form.UpdateCaption();
    return true;
}

bool DocumentCommands::Save()
{
    // A book is never written over with a text: Save asks for a name, as for a new text.
    if (m_form.m_currentFileName.isEmpty() || m_openedBook)
        return SaveAs();
    SaveTo(m_form.m_currentFileName);
    return true;
}

void DocumentCommands::FilesSaveClick()
{
    Guarded(&m_form, [this] {
        Stop();
        Save();
    });
}

void DocumentCommands::FilesSaveAsClick()
{
    Guarded(&m_form, [this] {
        Stop();
        SaveAs();
    });
}

void DocumentCommands::FilesNewClick()
{
    Guarded(&m_form, [this] {
        Stop();
        if (!MayDiscardText())
            return;
        m_form.MText->clear();
        m_form.MText->document()->clearUndoRedoStacks();
        m_form.MText->document()->setModified(false);
        m_form.m_currentFileName.clear();
        m_openedBook = false;
        m_encoding = {};
        m_form.UpdateCaption();
    });
}

// Closing the window asks the save-changes question (TFormMain::closeEvent).
void DocumentCommands::FilesExitClick()
{
    Guarded(&m_form, [this] {
        Stop();
        m_form.close();
    });
}

void DocumentCommands::HelpMenuClick()
{
    Guarded(&m_form, [this] {
        // The program creates the box at start-up in its place among the windows; a main
        // window on its own (in the tests) makes one when Help is first chosen.
        if (!AboutBox)
            AboutBox = new TAboutBox(&m_form);
        ExecDialog(*AboutBox);
    });
}

void DocumentCommands::ButtonFontClick()
{
    Guarded(&m_form, [this] {
        if (ExecDialog(*FontDialog))
            ApplyFontToWholeText();
    });
}

// The whole text is selected and given the dialog's font and colour as its own character
// formatting; it stays selected.
void DocumentCommands::ApplyFontToWholeText()
{
    RichTextBox& box = *m_form.MText;
    box.setFocus();
    box.setUpdatesEnabled(false);
    QTextCursor cursor(box.document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setFont(FontDialog->currentFont(), QTextCharFormat::FontPropertiesAll);
    format.setForeground(FontColor);
    cursor.mergeCharFormat(format);
    box.setTextCursor(cursor);
    box.setUpdatesEnabled(true);
}

void DocumentCommands::FontDialogApply()
{
    Guarded(&m_form, [this] { m_form.MText->setFont(FontDialog->currentFont()); });
}

void DocumentCommands::FontColorClick()
{
    Guarded(&m_form, [this] {
        FontColorDialog->setCurrentColor(FontColor);
        if (ExecDialog(*FontColorDialog))
            FontColor = FontColorDialog->currentColor();
    });
}

void DocumentCommands::ButtonColorClick()
{
    Guarded(&m_form, [this] {
        if (!ExecDialog(*ColorDialog))
            return;
        QPalette palette = m_form.MText->palette();
        palette.setColor(QPalette::Base, ColorDialog->currentColor());
        m_form.MText->setPalette(palette);
    });
}

#include "texttools/TextToolsCommands.h"

#include "documents/TextDocumentIO.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "texttools/GetTextIcon.h"
#include "texttools/UnitGetText.h"
#include "texttools/UnitProsTxt.h"

#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

namespace {

// Plain text passes as UTF-8 behind a byte order mark, so that every character survives and
// a text that itself begins with U+FEFF keeps it.
const DocumentEncoding HandOverEncoding{TextEncoding::Utf8, true};

// Copies one text box's content into another's document the way a file would carry it: RTF
// in rich-text mode, plain text in plain-text mode. Throws VemoError naming source, leaving
// the target as it was, when the text is longer than maxCharacters.
void CopyContent(const QTextEdit& from, QTextEdit& to, bool plainTextMode, const QString& source,
                 qsizetype maxCharacters)
{
    const DocumentBytes stream = DocumentToBytes(*from.document(), plainTextMode, HandOverEncoding);
    BytesToDocument(stream.bytes, plainTextMode, *to.document(), source, maxCharacters);
    to.moveCursor(QTextCursor::Start);
}

} // namespace

TextToolsCommands::TextToolsCommands(TFormMain& form, TFormPT& formPT, TFormGetText& formGetText)
    : m_form(form), m_controls(form.ControlsOfTextTools()), m_formPT(formPT), m_formGetText(formGetText)
{
    m_controls.SButtonGetText->setIcon(GetTextIcon());
    connect(m_controls.BProsTxt, &QPushButton::clicked, this, &TextToolsCommands::BProsTxtClick);
    connect(m_controls.SButtonGetText, &QToolButton::clicked, this, &TextToolsCommands::SButtonGetTextClick);
}

// The processing window works on a copy; the main text changes only when the user takes
// the copy back. The document's file name and the caption stay as they are either way.
void TextToolsCommands::BProsTxtClick()
{
    Guarded(&m_form, [this] {
        m_form.ButtonStopClick();
        HandOverToFormPT();
        if (m_formPT.exec() == QDialog::Accepted)
            TakeBackFromFormPT();
    });
}

void TextToolsCommands::HandOverToFormPT()
{
    const bool plain = m_controls.MText->PlainTextMode();
    m_formPT.SetPlainTextMode(plain);
    CopyContent(*m_controls.MText, *m_formPT.RETxt, plain, QStringLiteral("текст главного окна"),
                NoCharacterLimit);
}

// The processed text counts as a change of the document, so that New, Open or Exit ask
// before they throw it away.
void TextToolsCommands::TakeBackFromFormPT()
{
    RichTextBox& text = *m_controls.MText;
    CopyContent(*m_formPT.RETxt, text, text.PlainTextMode(),
                QStringLiteral("текст окна \"Обработка текста\""), text.MaxLength());
    text.document()->setModified(true);
}

// A reading under way goes on: neither hiding the main window nor the new text stops it.
void TextToolsCommands::SButtonGetTextClick()
{
    Guarded(&m_form, [this] {
        const QString dropped = CollectDrops();
        if (!dropped.isEmpty())
            m_form.Documents().TakeUntitledText(dropped);
    });
}

// Shows the drop window in the main window's place until the user closes it, with the main
// window hidden meanwhile; returns what was dropped.
QString TextToolsCommands::CollectDrops()
{
    m_formGetText.StartCollecting();
    m_formGetText.PlaceOnScreenOf(&m_form);
    m_form.hide();
    m_formGetText.exec();
    m_form.show();
    return m_formGetText.DroppedText;
}

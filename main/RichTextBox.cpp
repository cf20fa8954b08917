#include "main/RichTextBox.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QUrl>
#include <optional>

namespace {

// The characters a text becomes in the document: CR LF is one paragraph break.
QString AsDocumentText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The local files among the addresses a drag carries (a file manager offers text/uri-list).
QStringList DroppedLocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

// The one local file a drag carries and nothing else, if that is what it carries.
std::optional<QString> DroppedFile(const QMimeData* data)
{
    const QStringList files = DroppedLocalFiles(data);
    if (files.size() != 1 || data->urls().size() != 1)
        return std::nullopt;
    return files.first();
}

// The text/plain part of dragged data, if it has a non-empty one. QMimeData::hasText() is
// not asked: it also answers yes for a bare list of URLs. Under X11 a drag of files also
// offers their addresses as text/plain; such a drag is never text.
std::optional<QString> DroppedPlainText(const QMimeData* data)
{
    if (!data || !DroppedLocalFiles(data).isEmpty())
        return std::nullopt;
    QString text;
    if (data->hasFormat(QStringLiteral("text/plain"))) {
        text = data->text();
    } else {
        for (const QString& format : data->formats()) {
            if (format.startsWith(QStringLiteral("text/plain;charset=utf-8"), Qt::CaseInsensitive)) {
                text = QString::fromUtf8(data->data(format));
                break;
            }
        }
    }
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent)
{
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int RichTextBox::Room() const
{
    const QTextCursor cursor = textCursor();
    const int used = document()->characterCount() - 1 - (cursor.selectionEnd() - cursor.selectionStart());
    return std::max(0, m_maxLength - used);
}

void RichTextBox::insertFromMimeData(const QMimeData* source)
{
    if (!source || isReadOnly())
        return;
    QString plain =
        source->hasText() ? source->text() : QTextDocumentFragment::fromHtml(source->html()).toPlainText();
    plain = AsDocumentText(plain);
    if (plain.size() <= Room()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    // Too long: only the plain text that fits goes in.
    textCursor().insertText(plain.left(Room()));
    ensureCursorVisible();
}

bool RichTextBox::InsertsText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    return c.isPrint() || c == u'\r' || c == u'\n' || c == u'\t';
}

void RichTextBox::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly() && InsertsText(event) && event->text().size() > Room()) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isReadOnly() && event->commitString().size() > Room()) {
        event->setCommitString(event->commitString().left(Room()));
    }
    QTextEdit::inputMethodEvent(event);
}

void RichTextBox::SetWholeText(const QString& text)
{
    QString plain = AsDocumentText(text);
    plain.replace(u'\r', u'\n');
    if (plain.size() > m_maxLength) {
        qsizetype keep = std::max(0, m_maxLength);
        if (keep > 0 && plain.at(keep - 1).isHighSurrogate())
            --keep;
        plain.truncate(keep);
    }
    // Through a cursor of its own with empty block and character formats, so that the new
    // text takes neither the format at the caret nor that of the old first paragraph, and
    // the whole replacement is a single undo step.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.setCharFormat(QTextCharFormat());
    cursor.insertText(plain);
    cursor.endEditBlock();
    moveCursor(QTextCursor::Start);
}

bool RichTextBox::DragFromItself(const QDropEvent* event) const
{
    return event->source() == this || event->source() == viewport();
}

void RichTextBox::OfferCopy(QDropEvent* event)
{
    if (DroppedPlainText(event->mimeData()) || DroppedFile(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void RichTextBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (DragFromItself(event))
        QTextEdit::dragEnterEvent(event);
    else
        OfferCopy(event);
}

void RichTextBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (DragFromItself(event))
        QTextEdit::dragMoveEvent(event);
    else
        OfferCopy(event);
}

// Text dragged in from elsewhere replaces the whole text, also while a reading run holds the
// box read-only: the run goes on and its highlighting follows the new text.
void RichTextBox::dropEvent(QDropEvent* event)
{
    if (DragFromItself(event)) {
        QTextEdit::dropEvent(event);
        return;
    }
    if (const std::optional<QString> file = DroppedFile(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        QMetaObject::invokeMethod(
            this, [this, path = *file] { emit FileDropped(path); }, Qt::QueuedConnection);
        return;
    }
    const std::optional<QString> text = DroppedPlainText(event->mimeData());
    if (!text) {
        event->ignore();
        return;
    }
    SetWholeText(*text);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

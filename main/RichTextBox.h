#pragma once

#include <QTextEdit>

// The text box of the main window: rich or plain text, at most MaxLength characters
// (a paragraph break counts one). Typing, pasting and dropping never take it beyond the
// limit: what would overflow is cut off or refused. Plain text dragged in from elsewhere
// replaces the whole text (one undo step gives the old text back); a drag within the box
// moves or copies as usual. A drag that carries file addresses is never taken as text: a
// single local file is handed on through FileDropped, anything else is refused.
class RichTextBox : public QTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Room for the longest novels (1.5 to 3 million characters) several times over; the
    // limit keeps typing and pasting from growing the text past what the box lays out
    // responsively. Open takes a text up to it; the file runs are not bound by it.
    static constexpr int DefaultMaxLength = 20000000;

    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int maxLength) { m_maxLength = maxLength; }
    // Characters the text can still take when the selection is replaced.
    int Room() const;

    // Plain-text mode: only plain text is accepted and produced.
    bool PlainTextMode() const { return !acceptRichText(); }
    void SetPlainTextMode(bool on) { setAcceptRichText(!on); }

    // Replaces the whole text with plain text (CR LF, lone CR or LF a paragraph break each),
    // cut off at MaxLength, without any character formatting; the caret goes to the start.
    // The replacement is one step of the undo history and marks the document modified.
    void SetWholeText(const QString& text);

signals:
    // A single local file was dropped; sent after the drop has ended, so that whoever opens
    // it may ask the user first without holding up the program the drag came from.
    void FileDropped(const QString& path);

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static bool InsertsText(const QKeyEvent* event);
    bool DragFromItself(const QDropEvent* event) const;
    static void OfferCopy(QDropEvent* event);

    int m_maxLength = DefaultMaxLength;
};

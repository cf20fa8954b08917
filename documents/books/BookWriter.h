#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;

// Character formatting a book may carry into the text box.
struct BookStyle
{
    bool bold = false;
    bool italic = false;
    bool operator==(const BookStyle&) const = default;
};

// Builds the document of a book paragraph by paragraph, whatever format it came in: the
// readers hand it text runs with their style and say where paragraphs and headings begin.
// White space is laid out as a browser would: runs of blanks, tabs and line ends become
// one blank, and blanks at the edges of a paragraph go. Paragraphs left empty (an image
// taken out, a blank line) are dropped. More than maxCharacters of text throws VemoError
// naming source.
class BookWriter
{
public:
    BookWriter(QTextDocument& document, const QString& source, qsizetype maxCharacters);

    // Ends the open paragraph, if any, and opens a new one; a heading has level 1 to 6.
    void StartParagraph(int headingLevel = 0);
    void AddText(QStringView text, BookStyle style);
    void AddLineBreak();
    void EndParagraph();
    // Ends the open paragraph.
    void Finish();

    // The book's own title from its metadata; empty when it has none.
    QString title;
    const QString& Source() const { return m_source; }
    qsizetype Paragraphs() const { return m_paragraphs; }

private:
    void Flush();
    void Append(QStringView text, BookStyle style);

    QTextCursor m_cursor;
    const QString m_source;
    const qsizetype m_maxCharacters;
    qsizetype m_characters = 0;
    qsizetype m_paragraphs = 0;
    bool m_open = false;
    int m_headingLevel = 0;
    // The open paragraph, written when it ends: its runs, whether a blank is due before
    // the next text, whether a line has text yet.
    bool m_pendingBlank = false;
    BookStyle m_blankStyle; // of the text the pending blank stood in
    bool m_lineHasText = false;
    bool m_paragraphHasText = false;
    struct Run
    {
        QString text;
        BookStyle style;
    };
    QList<Run> m_runs;
};

// Throws VemoError "Failed to Load Stream: source (reason)".
[[noreturn]] void ThrowBookError(const QString& source, const QString& reason);

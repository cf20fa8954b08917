#include "documents/books/BookWriter.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>

namespace {

constexpr QChar LineSeparator(0x2028);

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QTextCharFormat CharFormat(BookStyle style, int headingLevel)
{
    QTextCharFormat format;
    if (style.bold || headingLevel > 0)
        format.setFontWeight(QFont::Bold);
    if (style.italic)
        format.setFontItalic(true);
    // Headings stand out by size as in a browser: level 1 the largest.
    if (headingLevel > 0 && headingLevel < 3)
        format.setProperty(QTextFormat::FontSizeAdjustment, 3 - headingLevel);
    return format;
}

} // namespace

void ThrowBookError(const QString& source, const QString& reason)
{
    throw VemoError(QStringLiteral("Failed to Load Stream: %1 (%2)").arg(source, reason));
}

BookWriter::BookWriter(QTextDocument& document, const QString& source, qsizetype maxCharacters)
    : m_cursor(&document), m_source(source), m_maxCharacters(maxCharacters)
{}

void BookWriter::StartParagraph(int headingLevel)
{
    EndParagraph();
    m_open = true;
    m_headingLevel = qBound(0, headingLevel, 6);
}

void BookWriter::AddText(QStringView text, BookStyle style)
{
    if (!m_open)
        StartParagraph();
    qsizetype i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            if (!m_pendingBlank)
                m_blankStyle = style;
            m_pendingBlank = m_lineHasText;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        // A blank keeps the style of the text it stood in: "a **b** c", not "a** b** c".
        if (m_pendingBlank)
            Append(u" ", m_blankStyle);
        m_pendingBlank = false;
        Append(text.mid(i, end - i), style);
        m_lineHasText = true;
        i = end;
    }
}

void BookWriter::AddLineBreak()
{
    if (!m_open || !m_paragraphHasText)
        return;
    Append(QStringView(&LineSeparator, 1), m_runs.last().style);
    m_pendingBlank = false;
    m_lineHasText = false;
}

void BookWriter::Append(QStringView text, BookStyle style)
{
    m_characters += text.size();
    if (m_maxCharacters >= 0 && m_characters > m_maxCharacters)
        ThrowBookError(m_source, Say("the book's text is longer than the allowed %1 characters",
                                     "текст книги длиннее допустимых %1 знаков")
                                     .arg(m_maxCharacters));
    if (m_runs.isEmpty() || !(m_runs.last().style == style))
        m_runs.append({QString(), style});
    m_runs.last().text += text;
    m_paragraphHasText = true;
}

void BookWriter::EndParagraph()
{
    if (m_open)
        Flush();
    m_open = false;
    m_runs.clear();
    m_pendingBlank = false;
    m_lineHasText = false;
    m_paragraphHasText = false;
}

void BookWriter::Finish()
{
    EndParagraph();
}

void BookWriter::Flush()
{
    // A paragraph ends where its text ends: a line break after it would be an empty line.
    while (!m_runs.isEmpty() && m_runs.last().text.endsWith(LineSeparator)) {
        m_runs.last().text.chop(1);
        if (m_runs.last().text.isEmpty())
            m_runs.removeLast();
    }
    if (m_runs.isEmpty())
        return;
    QTextBlockFormat block;
    if (m_headingLevel > 0)
        block.setHeadingLevel(m_headingLevel);
    if (m_paragraphs == 0)
        m_cursor.setBlockFormat(block);
    else
        m_cursor.insertBlock(block);
    // A paragraph break counts one character, as in the text box.
    if (m_paragraphs > 0 && m_maxCharacters >= 0 && ++m_characters > m_maxCharacters)
        ThrowBookError(m_source, Say("the book's text is longer than the allowed %1 characters",
                                     "текст книги длиннее допустимых %1 знаков")
                                     .arg(m_maxCharacters));
    for (const Run& run : std::as_const(m_runs))
        m_cursor.insertText(run.text, CharFormat(run.style, m_headingLevel));
    ++m_paragraphs;
}

#include "text/rtf/RtfDocumentBuilder.h"

#include <QTextDocument>

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument& document) : m_document(document), m_cursor(&document)
{
    m_document.clear();
    m_cursor.beginEditBlock();
}

void RtfDocumentBuilder::AppendText(QStringView text, const QTextCharFormat& format)
{
    if (text.isEmpty())
        return;
    if (!m_pendingEnds.isEmpty()) {
        FlushRun();
        FlushParagraphEnds();
    }
    if (!m_run.isEmpty() && format != m_runFormat)
        FlushRun();
    if (m_run.isEmpty())
        m_runFormat = format;
    m_run.append(text);
}

void RtfDocumentBuilder::EndParagraph(const QTextBlockFormat& format)
{
    m_pendingEnds.append(format);
}

void RtfDocumentBuilder::FlushRun()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, m_runFormat);
    m_run.clear();
}

void RtfDocumentBuilder::FlushParagraphEnds()
{
    for (const QTextBlockFormat& format : std::as_const(m_pendingEnds)) {
        if (format != m_cursor.blockFormat())
            m_cursor.setBlockFormat(format);
        m_cursor.insertBlock(format, m_runFormat);
    }
    m_pendingEnds.clear();
}

void RtfDocumentBuilder::Finish(const QTextBlockFormat& lastFormat)
{
    FlushRun();
    QTextBlockFormat last = lastFormat;
    if (!m_pendingEnds.isEmpty())
        last = m_pendingEnds.takeLast();
    FlushParagraphEnds();
    m_cursor.setBlockFormat(last);
    m_cursor.endEditBlock();
}

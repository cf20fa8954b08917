#pragma once

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;

// Fills a document run by run: text with the same format is gathered and inserted at once.
// A paragraph end is held back until more text follows, so the \par that closes the last
// paragraph of a file does not leave an empty paragraph behind.
class RtfDocumentBuilder
{
public:
    explicit RtfDocumentBuilder(QTextDocument& document);

    void AppendText(QStringView text, const QTextCharFormat& format);
    void EndParagraph(const QTextBlockFormat& format);
    // Inserts what is still gathered; lastFormat is the format of the final paragraph.
    void Finish(const QTextBlockFormat& lastFormat);

private:
    void FlushRun();
    void FlushParagraphEnds();

    QTextDocument& m_document;
    QTextCursor m_cursor;
    QString m_run;
    QTextCharFormat m_runFormat;
    QList<QTextBlockFormat> m_pendingEnds;
};

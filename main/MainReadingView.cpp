#include "main/MainReadingView.h"

#include "main/FormMain.h"
#include "main/RadioGroup.h"
#include "main/RichTextBox.h"
#include "main/SentenceEmphasis.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>

MainReadingView::MainReadingView(TFormMain& form) : m_form(form) {}

QString MainReadingView::TextForReading(int& caret)
{
    m_map = PositionMap(m_form.MText->document()->toRawText());
    caret = m_map.ToProgram(m_form.MText->textCursor().selectionStart());
    return m_map.ProgramText();
}

void MainReadingView::RefreshMapIfStale()
{
    // The text may have been edited since the run began (an end of stream arriving late).
    if (m_map.DocumentLength() != m_form.MText->document()->characterCount() - 1)
        m_map = PositionMap(m_form.MText->document()->toRawText());
}

void MainReadingView::SelectRange(int start, int length)
{
    RefreshMapIfStale();
    RichTextBox* text = m_form.MText;
    text->setFocus();
    QTextCursor cursor = text->textCursor();
    cursor.setPosition(m_map.ToDocument(start));
    cursor.setPosition(m_map.ToDocument(start + length), QTextCursor::KeepAnchor);
    if (start != 0) {
        text->setTextCursor(cursor);
        return;
    }
    const int h = text->horizontalScrollBar()->value();
    const int v = text->verticalScrollBar()->value();
    text->setTextCursor(cursor);
    text->horizontalScrollBar()->setValue(h);
    text->verticalScrollBar()->setValue(v);
}

void MainReadingView::SetRangeStyle(int start, int length, bool bold)
{
    RefreshMapIfStale();
    RichTextBox* text = m_form.MText;
    const int from = m_map.ToDocument(start);
    SentenceEmphasis::Set(*text->document(), from, m_map.ToDocument(start + length), bold);
    const int h = text->horizontalScrollBar()->value();
    const int v = text->verticalScrollBar()->value();
    QTextCursor cursor = text->textCursor();
    cursor.setPosition(from);
    text->setTextCursor(cursor);
    text->horizontalScrollBar()->setValue(h);
    text->verticalScrollBar()->setValue(v);
    text->viewport()->update();
}

void MainReadingView::RemoveEmphasis(int start, int length)
{
    RefreshMapIfStale();
    RichTextBox* text = m_form.MText;
    SentenceEmphasis::Set(*text->document(), m_map.ToDocument(start), m_map.ToDocument(start + length),
                          false);
    text->viewport()->update();
}

void MainReadingView::SetTextEditable(bool editable)
{
    m_form.MText->setReadOnly(!editable);
}

void MainReadingView::ClearLog()
{
    m_form.MLog->clear();
    m_form.MLog->repaint();
}

void MainReadingView::AppendLog(const QString& line)
{
    m_form.MLog->appendPlainText(line);
    m_form.MLog->repaint();
}

bool MainReadingView::XmlMode() const
{
    return m_form.CBoxIsXML->isChecked();
}

QString MainReadingView::DigitChoice() const
{
    return m_form.RGDigitSay->ItemIndex() == 0 ? QStringLiteral("R") : QStringLiteral("E");
}

bool MainReadingView::PicturesWanted() const
{
    return m_form.CheckBoxImg->isChecked();
}

void MainReadingView::ShowDictionaryPicture(const QString& word)
{
    m_form.ShowDictionaryPicture(word);
}

void MainReadingView::ShowAudioLevel(const QString& lang, int level)
{
    (lang == u"E" ? m_form.PBVolumeEng : m_form.PBVolumeRu)->setValue(std::clamp(level, 0, 100));
}

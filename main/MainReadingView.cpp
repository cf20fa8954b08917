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

namespace {

// Characters of MText read at a time when a conversion needs the map to reach further.
constexpr qsizetype MapStretch = 262144;

} // namespace

class MainReadingView::Source : public ReadingSource
{
public:
    Source(MainReadingView& view, int generation) : m_view(view), m_generation(generation) {}
    bool Read(qsizetype characters, QString& text) override
    {
        return m_view.ReadForSource(m_generation, characters, text);
    }
    int Base() override { return m_view.BaseForSource(m_generation); }

private:
    MainReadingView& m_view;
    const int m_generation;
};

MainReadingView::MainReadingView(TFormMain& form) : m_form(form) {}

std::unique_ptr<ReadingSource> MainReadingView::BeginReading()
{
    const QTextDocument& document = *m_form.MText->document();
    const int length = DocumentTextReader::TextLength(document);
    int caret = m_form.MText->textCursor().selectionStart();
    // From the caret only when something stands after the caret's character in the
    // program's counting: another character, or the LF of the break the caret stands on.
    const bool fromCaret = caret + 1 < length ||
                           (caret + 1 == length && PositionMap::IsDocumentBreak(document.characterAt(caret)));
    if (!fromCaret)
        caret = 0;
    StartMap(document, caret, caret == 0 ? 0 : -1);
    m_feedsSource = true;
    return std::make_unique<Source>(*this, m_generation);
}

void MainReadingView::StartMap(const QTextDocument& document, int documentStart, int base)
{
    if (m_feedsSource)
        m_sourceBase = m_base >= 0 ? m_base : m_map.DocumentStart();
    const bool sameText = m_document == &document && m_revision == document.revision() &&
                          m_textLength == DocumentTextReader::TextLength(document);
    if (!sameText) {
        m_previous = PositionMap();
        m_previousBase = -1;
    } else if (m_base >= 0) {
        m_previous = std::move(m_map);
        m_previousBase = m_base;
    }
    ++m_generation;
    m_feedsSource = false;
    m_unclaimed.clear();
    m_document = &document;
    m_textLength = DocumentTextReader::TextLength(document);
    m_revision = document.revision();
    m_base = base;
    m_map = PositionMap(documentStart, 0);
    m_reader = DocumentTextReader(document, documentStart);
}

void MainReadingView::RefreshMapIfStale()
{
    // The text may have been edited since the run began (an end of stream arriving late).
    const QTextDocument* document = m_form.MText->document();
    if (document != m_document || DocumentTextReader::TextLength(*document) != m_textLength ||
        document->revision() != m_revision)
        StartMap(*document, 0, 0);
}

int MainReadingView::Base()
{
    // Counted over the text before the map's start: only when a position is first shown,
    // so that the first fragment is spoken without it.
    if (m_base < 0)
        m_base = m_document ? CountedBase(*m_document, m_map.DocumentStart()) : m_map.DocumentStart();
    return m_base;
}

int MainReadingView::CountedBase(const QTextDocument& document, int start) const
{
    if (m_previousBase >= 0 && start >= m_previous.DocumentStart() && start <= m_previous.DocumentEnd())
        return m_previousBase + m_previous.ToProgram(start);
    // The known places: the top, and the two ends of the reading before.
    QList<QPair<int, int>> known{{0, 0}};
    if (m_previousBase >= 0)
        known << qMakePair(m_previous.DocumentStart(), m_previousBase)
              << qMakePair(m_previous.DocumentEnd(), m_previousBase + m_previous.ProgramEnd());
    const auto [at, program] = *std::min_element(known.cbegin(), known.cend(), [start](auto a, auto b) {
        return std::abs(a.first - start) < std::abs(b.first - start);
    });
    if (start >= at)
        return program + (start - at) + DocumentTextReader::BreaksBetween(document, at, start);
    return program - (at - start) - DocumentTextReader::BreaksBetween(document, start, at);
}

bool MainReadingView::ReadMore(qsizetype characters)
{
    return m_reader.Read(characters, m_map, m_feedsSource ? &m_unclaimed : nullptr);
}

int MainReadingView::ToDocument(int programPosition)
{
    if (programPosition <= 0)
        return 0;
    const int position = programPosition - Base();
    if (position < 0) {
        // Before the reading's start (what an earlier run showed): mapped from the top.
        PositionMap top(0, 0);
        DocumentTextReader reader(*m_document, 0);
        while (top.ProgramEnd() < programPosition && reader.Read(MapStretch, top)) {
        }
        return top.ToDocument(programPosition);
    }
    while (m_map.ProgramEnd() < position && ReadMore(MapStretch)) {
    }
    return m_map.ToDocument(position);
}

bool MainReadingView::ReadForSource(int generation, qsizetype characters, QString& text)
{
    if (generation != m_generation || !m_feedsSource)
        return false;
    if (!m_unclaimed.isEmpty()) {
        characters -= m_unclaimed.size();
        text += m_unclaimed;
        m_unclaimed.clear();
    }
    const bool more = characters > 0 ? m_reader.Read(characters, m_map, &text) : !m_reader.AtEnd();
    m_feedsSource = more;
    return more;
}

int MainReadingView::BaseForSource(int generation)
{
    return generation == m_generation ? Base() : m_sourceBase;
}

void MainReadingView::SelectRange(int start, int length)
{
    RefreshMapIfStale();
    RichTextBox* text = m_form.MText;
    text->setFocus();
    QTextCursor cursor = text->textCursor();
    cursor.setPosition(ToDocument(start));
    cursor.setPosition(ToDocument(start + length), QTextCursor::KeepAnchor);
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
    const int from = ToDocument(start);
    SentenceEmphasis::Set(*text->document(), from, ToDocument(start + length), bold);
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
    SentenceEmphasis::Set(*text->document(), ToDocument(start), ToDocument(start + length), false);
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

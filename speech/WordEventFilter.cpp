#include "speech/WordEventFilter.h"

#include "speech/SpokenText.h"
#include "text/Segmentation.h"

namespace {

bool IsSentenceMark(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026';
}

bool IsCloser(QChar c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == u'\u00BB' || c == u'\u201D' ||
           c == u'\u2019';
}

bool IsBlank(QChar c)
{
    return c.unicode() <= 32 || c == u'\u00A0';
}

} // namespace

WordEventFilter::WordEventFilter(const SpokenText& spoken) : m_spoken(spoken) {}

QList<SpeechEvent> WordEventFilter::EventsForWord(int spokenIndex)
{
    const int size = int(m_spoken.Text().size());
    const int at = SkipSeparators(qBound(0, spokenIndex, size));
    // Inside or before the word last reported: nothing new.
    if (at >= size || at < m_lastWordEnd)
        return {};
    const int start = WordStart(at);
    m_lastWordEnd = WordEnd(start);
    QList<SpeechEvent> events;
    if (start >= m_sentenceEnd) {
        int s = SkipSeparators(m_sentenceEnd);
        int e = SentenceEnd(s);
        while (e <= start) {
            s = SkipSeparators(e);
            e = SentenceEnd(s);
        }
        m_sentenceStart = s;
        m_sentenceEnd = e;
        events.append(Mapped(SpeechEvent::Kind::Sentence, s, e));
    }
    events.append(Mapped(SpeechEvent::Kind::Word, start, m_lastWordEnd));
    return events;
}

QList<int> WordEventFilter::WordStarts() const
{
    const QString& text = m_spoken.Text();
    QList<int> starts;
    for (int i = 0; i < text.size(); ++i) {
        if (!IsSeparator(text.at(i)) && (i == 0 || IsSeparator(text.at(i - 1))))
            starts.append(i);
    }
    return starts;
}

int WordEventFilter::WordStart(int i) const
{
    const QString& text = m_spoken.Text();
    if (i >= text.size())
        return i;
    while (i > m_lastWordEnd && !IsSeparator(text.at(i - 1)))
        --i;
    return i;
}

int WordEventFilter::WordEnd(int i) const
{
    const QString& text = m_spoken.Text();
    while (i < text.size() && !IsSeparator(text.at(i)))
        ++i;
    return i;
}

int WordEventFilter::SkipSeparators(int i) const
{
    const QString& text = m_spoken.Text();
    while (i < text.size() && IsSeparator(text.at(i)))
        ++i;
    return i;
}

int WordEventFilter::SentenceEnd(int start) const
{
    const QString& text = m_spoken.Text();
    int i = start;
    while (i < text.size() && !EndsSentenceAt(i))
        ++i;
    if (i < text.size()) {
        while (i < text.size() && (IsSentenceMark(text.at(i)) || IsCloser(text.at(i))))
            ++i;
        return i;
    }
    while (i > start && IsBlank(text.at(i - 1)))
        --i;
    return i > start ? i : int(text.size());
}

// A sentence mark ends the sentence when, after any further marks and closing quotes or
// brackets, a blank or the end of the text follows: "3.14" and "e.g" go on.
bool WordEventFilter::EndsSentenceAt(int i) const
{
    const QString& text = m_spoken.Text();
    if (!IsSentenceMark(text.at(i)))
        return false;
    int j = i + 1;
    while (j < text.size() && (IsSentenceMark(text.at(j)) || IsCloser(text.at(j))))
        ++j;
    return j == text.size() || IsBlank(text.at(j));
}

SpeechEvent WordEventFilter::Mapped(SpeechEvent::Kind kind, int start, int end) const
{
    SpeechEvent event;
    event.kind = kind;
    event.position = m_spoken.SourcePosition(start);
    const int last = m_spoken.SourcePosition(qMax(start, end - 1));
    event.length = qMax(1, last + 1 - event.position);
    return event;
}

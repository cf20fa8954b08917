#include "soundfile/Subtitles.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/PartFileNames.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

bool EndsSentence(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026';
}

bool ClosesQuote(QChar c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == u'\u00bb' || c == u'\u201d';
}

qint64 Milliseconds(double seconds)
{
    return std::max<qint64>(0, std::llround(seconds * 1000));
}

// 00:01:02,345
QString SrtTime(double seconds)
{
    const qint64 ms = Milliseconds(seconds);
    return QStringLiteral("%1:%2:%3,%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// 01:02.34 (minutes may pass 99 in a long file)
QString LrcTime(double seconds)
{
    const qint64 cs = Milliseconds(seconds) / 10;
    return QStringLiteral("%1:%2.%3")
        .arg(cs / 6000, 2, 10, QLatin1Char('0'))
        .arg(cs / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(cs % 100, 2, 10, QLatin1Char('0'));
}

QString OneLine(QString text)
{
    for (QChar& c : text) {
        if (c.isSpace())
            c = u' ';
    }
    return text.simplified();
}

QString CannotWrite(const QString& name, const QString& why)
{
    return Say("Could not write subtitles \"%1\": %2", "Не удалось записать субтитры «%1»: %2")
        .arg(name, why);
}

} // namespace

QString SubtitleFileName(const QString& soundFileName, const QString& extension)
{
    const QFileInfo info(soundFileName);
    return info.path() + u'/' + info.completeBaseName() + u'.' + extension;
}

LaidOutText::LaidOutText(QStringList texts, const QList<int>& offsets) : m_texts(std::move(texts))
{
    const qsizetype n = qMin(m_texts.size(), offsets.size());
    m_texts.resize(n);
    int reach = 0;
    for (qsizetype k = 0; k < n; ++k) {
        const int offset = qMax(0, offsets.at(k));
        m_ordered = m_ordered && (k == 0 || offset >= m_offsets.back());
        m_offsets.push_back(offset);
        reach = qMax(reach, offset + int(m_texts.at(k).size()));
        m_reach.push_back(reach);
    }
    m_size = reach;
}

LaidOutText LaidOutText::OfFragments(const QStringList& texts, const QStringList& offsets)
{
    QList<int> at;
    at.reserve(offsets.size());
    for (const QString& offset : offsets)
        at.append(offset.toInt());
    return LaidOutText(texts, at);
}

qsizetype LaidOutText::PieceAt(int i) const
{
    const auto covers = [&](qsizetype k) {
        return m_offsets[std::size_t(k)] <= i && i < m_offsets[std::size_t(k)] + m_texts.at(k).size();
    };
    qsizetype k = qsizetype(m_offsets.size()) - 1;
    if (m_ordered)
        k = std::upper_bound(m_offsets.begin(), m_offsets.end(), i) - m_offsets.begin() - 1;
    // The latest piece that covers i shows there; none before k reaches past its reach.
    for (; k >= 0 && (!m_ordered || m_reach[std::size_t(k)] > i); --k) {
        if (covers(k))
            return k;
    }
    return -1;
}

QChar LaidOutText::At(int i) const
{
    const qsizetype k = PieceAt(i);
    return k < 0 ? QChar(u' ') : m_texts.at(k).at(i - m_offsets[std::size_t(k)]);
}

QString LaidOutText::Mid(int from, int n) const
{
    QString out;
    const int end = qMin(m_size, from + qMax(0, n));
    for (int i = qMax(0, from); i < end; ++i)
        out += At(i);
    return out;
}

SubtitleCues::SubtitleCues(const LaidOutText& text, Sink srt, Sink lrc)
    : m_text(text), m_srt(std::move(srt)), m_lrc(std::move(lrc))
{}

// The position after the sentence that runs from `from`.
int SubtitleCues::SentenceEnd(int from) const
{
    const int n = m_text.Size();
    for (int i = from; i < n; ++i) {
        const QChar c = m_text.At(i);
        if (c == u'\r' || c == u'\n')
            return i + 1;
        if (!EndsSentence(c))
            continue;
        int end = i + 1;
        while (end < n && (EndsSentence(m_text.At(end)) || ClosesQuote(m_text.At(end))))
            ++end;
        if (end >= n || m_text.At(end).isSpace())
            return end;
    }
    return n;
}

// The start of sentence k, or the end of the text when there are fewer; sentences are
// found as far as asked.
int SubtitleCues::SentenceStart(qsizetype k)
{
    const int n = m_text.Size();
    while (!m_complete && m_starts.size() <= k) {
        int i = m_starts.isEmpty() ? 0 : SentenceEnd(m_starts.last());
        while (i < n && m_text.At(i).isSpace())
            ++i;
        if (i >= n)
            m_complete = true;
        else
            m_starts.append(i);
    }
    return k < m_starts.size() ? m_starts.at(k) : n;
}

// The sentence a word at position stands in: the last that starts at or before it (-1 when
// it stands before the first).
qsizetype SubtitleCues::SentenceOf(int position)
{
    while (!m_complete && (m_starts.isEmpty() || m_starts.last() <= position))
        SentenceStart(m_starts.size());
    return std::upper_bound(m_starts.begin(), m_starts.end(), position) - m_starts.begin() - 1;
}

void SubtitleCues::AddWord(int position, int length, double seconds)
{
    const qsizetype k = SentenceOf(position);
    if (!m_words.isEmpty() && k != m_sentence)
        PutSentence();
    m_sentence = k;
    m_words.append({position, length, seconds});
}

void SubtitleCues::PutSentence()
{
    const double start = m_words.constFirst().seconds;
    if (m_srt) {
        // A cue ends where the next begins, so each is put once the next is known.
        const auto putPending = [&](double to) {
            m_srt(QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                      .arg(m_cues)
                      .arg(SrtTime(m_pendingFrom), SrtTime(to), m_pendingText));
        };
        if (m_cues > 0)
            putPending(start);
        const int from = m_sentence >= 0 ? SentenceStart(m_sentence) : 0;
        int to = SentenceStart(m_sentence + 1);
        for (const Word& word : m_words)
            to = std::max(to, word.position + word.length);
        m_pendingFrom = start;
        m_pendingText = OneLine(m_text.Mid(from, to - from));
    }
    ++m_cues;
    if (m_lrc) {
        QString line = u'[' + LrcTime(start) + u']';
        for (const Word& word : m_words)
            line +=
                u'<' + LrcTime(word.seconds) + u'>' + OneLine(m_text.Mid(word.position, word.length)) + u' ';
        line.chop(1);
        m_lrc(line + QStringLiteral("\r\n"));
    }
    m_words.clear();
}

void SubtitleCues::Finish(double seconds)
{
    if (!m_words.isEmpty())
        PutSentence();
    if (m_cues == 0)
        return;
    if (m_srt)
        m_srt(QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                  .arg(m_cues)
                  .arg(SrtTime(m_pendingFrom), SrtTime(std::max(m_pendingFrom, seconds)), m_pendingText));
    if (m_lrc)
        m_lrc(u'[' + LrcTime(seconds) + QStringLiteral("]\r\n"));
}

Subtitles::Subtitles(const QString& text) : m_text(text) {}

void Subtitles::AddWord(int position, int length, double seconds)
{
    m_words.append({position, length, seconds});
}

// In the order heard: only words reported out of order need a sorted copy.
void Subtitles::Cues(double seconds, const Sink& srt, const Sink& lrc) const
{
    const auto earlier = [](const Word& a, const Word& b) { return a.seconds < b.seconds; };
    QList<Word> sorted;
    const QList<Word>* words = &m_words;
    if (!std::is_sorted(m_words.begin(), m_words.end(), earlier)) {
        sorted = m_words;
        std::stable_sort(sorted.begin(), sorted.end(), earlier);
        words = &sorted;
    }
    SubtitleCues cues(m_text, srt, lrc);
    for (const Word& word : *words)
        cues.AddWord(word.position, word.length, word.seconds);
    cues.Finish(seconds);
}

void Subtitles::Srt(double seconds, const Sink& put) const
{
    Cues(seconds, put, {});
}

void Subtitles::Lrc(double seconds, const Sink& put) const
{
    Cues(seconds, {}, put);
}

QString Subtitles::Srt(double seconds) const
{
    QString out;
    Srt(seconds, [&out](const QString& piece) { out += piece; });
    return out;
}

QString Subtitles::Lrc(double seconds) const
{
    QString out;
    Lrc(seconds, [&out](const QString& piece) { out += piece; });
    return out;
}

void Subtitles::Write(const QString& soundFileName, double seconds) const
{
    SubtitleWriter writer(m_text);
    writer.Open(soundFileName);
    // The words are added sorted, as the cues take them.
    const auto earlier = [](const Word& a, const Word& b) { return a.seconds < b.seconds; };
    QList<Word> sorted = m_words;
    std::stable_sort(sorted.begin(), sorted.end(), earlier);
    for (const Word& word : sorted)
        writer.AddWord(word.position, word.length, word.seconds);
    writer.Close(seconds, soundFileName);
}

SubtitleWriter::~SubtitleWriter()
{
    Abandon();
}

void SubtitleWriter::Open(const QString& soundFileName)
{
    Abandon();
    for (auto [output, extension] : {std::pair{&m_srt, "srt"}, std::pair{&m_lrc, "lrc"}}) {
        output->name = SubtitleFileName(soundFileName, QString::fromLatin1(extension));
        output->file.setFileName(PartFileNames::TemporaryName(output->name));
        output->buffer.clear();
        output->ok = output->file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (!output->ok) {
            const QString why = output->file.errorString();
            Abandon();
            throw VemoError(CannotWrite(output->name, why));
        }
    }
    m_cues = std::make_unique<SubtitleCues>(
        m_text, [this](const QString& piece) { Put(m_srt, piece); },
        [this](const QString& piece) { Put(m_lrc, piece); });
}

void SubtitleWriter::AddWord(int position, int length, double seconds)
{
    if (m_cues)
        m_cues->AddWord(position, length, seconds);
}

void SubtitleWriter::Put(Output& output, const QString& piece)
{
    output.buffer += piece.toUtf8();
    if (output.buffer.size() >= 64 * 1024)
        Drain(output);
}

void SubtitleWriter::Drain(Output& output)
{
    output.ok = output.ok && output.file.write(output.buffer) == output.buffer.size();
    output.buffer.clear();
}

void SubtitleWriter::Close(double seconds, const QString& soundFileName)
{
    if (!m_cues)
        return;
    m_cues->Finish(seconds);
    m_cues.reset();
    for (Output* output : {&m_srt, &m_lrc}) {
        Drain(*output);
        output->ok = output->ok && output->file.flush();
        if (!output->ok) {
            const QString why = output->file.errorString();
            Abandon();
            throw VemoError(CannotWrite(output->name, why));
        }
        output->file.close();
    }
    for (auto [output, extension] : {std::pair{&m_srt, "srt"}, std::pair{&m_lrc, "lrc"}}) {
        const QString name = SubtitleFileName(soundFileName, QString::fromLatin1(extension));
        if (name != output->name) {
            QFile::remove(PartFileNames::TemporaryName(name));
            QFile::rename(PartFileNames::TemporaryName(output->name), PartFileNames::TemporaryName(name));
        }
        PartFileNames::Publish(name);
    }
}

// Subtitles left open go: they were never complete.
void SubtitleWriter::Abandon()
{
    m_cues.reset();
    for (Output* output : {&m_srt, &m_lrc}) {
        if (output->file.isOpen()) {
            output->file.close();
            output->file.remove();
        }
        output->buffer.clear();
    }
}

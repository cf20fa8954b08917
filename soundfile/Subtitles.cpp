#include "soundfile/Subtitles.h"

#include "files/VemoError.h"

#include <QFileInfo>
#include <QSaveFile>
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

void WriteText(const QString& name, const QString& text)
{
    QSaveFile file(name);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        throw VemoError(
            QStringLiteral("Не удалось записать субтитры «%1»: %2").arg(name, file.errorString()));
}

} // namespace

void Subtitles::addWord(int position, int length, double seconds)
{
    m_words.append({position, length, seconds});
}

// The position after the sentence that runs from `from`.
int Subtitles::sentenceEnd(int from) const
{
    const int n = int(m_text.size());
    for (int i = from; i < n; ++i) {
        const QChar c = m_text.at(i);
        if (c == u'\r' || c == u'\n')
            return i + 1;
        if (!EndsSentence(c))
            continue;
        int end = i + 1;
        while (end < n && (EndsSentence(m_text.at(end)) || ClosesQuote(m_text.at(end))))
            ++end;
        if (end >= n || m_text.at(end).isSpace())
            return end;
    }
    return n;
}

Subtitles::Subtitles(const QString& text) : m_text(text)
{
    const int n = int(m_text.size());
    for (int i = 0; i < n;) {
        while (i < n && m_text.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        m_starts.append(i);
        i = sentenceEnd(i);
    }
}

QList<Subtitles::Sentence> Subtitles::sentences() const
{
    QList<Word> words = m_words;
    std::stable_sort(words.begin(), words.end(),
                     [](const Word& a, const Word& b) { return a.seconds < b.seconds; });
    QList<Sentence> out;
    qsizetype current = -2;
    for (const Word& word : words) {
        // The sentence the word stands in: the last that starts at or before it.
        const qsizetype k =
            std::upper_bound(m_starts.begin(), m_starts.end(), word.position) - m_starts.begin() - 1;
        if (k != current || out.isEmpty()) {
            current = k;
            const int from = k >= 0 ? m_starts.at(k) : 0;
            const int to = k + 1 < m_starts.size() ? m_starts.at(k + 1) : int(m_text.size());
            out.append({OneLine(m_text.mid(from, std::max(to, word.position + word.length) - from)), {}});
        }
        out.last().words.append(word);
    }
    return out;
}

QString Subtitles::srt(double seconds) const
{
    const QList<Sentence> all = sentences();
    QString out;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const double from = all.at(i).words.constFirst().seconds;
        const double to =
            i + 1 < all.size() ? all.at(i + 1).words.constFirst().seconds : std::max(from, seconds);
        out += QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                   .arg(i + 1)
                   .arg(SrtTime(from), SrtTime(to), all.at(i).text);
    }
    return out;
}

QString Subtitles::lrc(double seconds) const
{
    QString out;
    for (const Sentence& sentence : sentences()) {
        out += u'[' + LrcTime(sentence.words.constFirst().seconds) + u']';
        for (const Word& word : sentence.words)
            out +=
                u'<' + LrcTime(word.seconds) + u'>' + OneLine(m_text.mid(word.position, word.length)) + u' ';
        out.chop(1);
        out += QStringLiteral("\r\n");
    }
    if (!out.isEmpty())
        out += u'[' + LrcTime(seconds) + QStringLiteral("]\r\n");
    return out;
}

void Subtitles::write(const QString& soundFileName, double seconds) const
{
    const QFileInfo info(soundFileName);
    const QString base = info.path() + u'/' + info.completeBaseName();
    WriteText(base + QStringLiteral(".srt"), srt(seconds));
    WriteText(base + QStringLiteral(".lrc"), lrc(seconds));
}

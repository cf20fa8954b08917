#include "soundfile/Subtitles.h"

#include "files/MessageLanguage.h"
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

// Writes what produce hands out into name, in pieces of about 64 KiB, replacing the file
// only when all of it was written.
void WriteText(const QString& name, const std::function<void(const Subtitles::Sink&)>& produce)
{
    QSaveFile file(name);
    bool ok = file.open(QIODevice::WriteOnly);
    QByteArray buffer;
    const auto drain = [&] {
        ok = ok && file.write(buffer) == buffer.size();
        buffer.clear();
    };
    produce([&](const QString& piece) {
        buffer += piece.toUtf8();
        if (buffer.size() >= 64 * 1024)
            drain();
    });
    drain();
    if (!ok || !file.flush() || !file.commit())
        throw VemoError(Say("Could not write subtitles \"%1\": %2", "Не удалось записать субтитры «%1»: %2")
                            .arg(name, file.errorString()));
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

void Subtitles::forEachSentence(const std::function<void(const Sentence&)>& each) const
{
    // Words come in the order they are heard; only an unusual stream needs a sorted copy.
    const auto earlier = [](const Word& a, const Word& b) { return a.seconds < b.seconds; };
    QList<Word> sorted;
    const QList<Word>* words = &m_words;
    if (!std::is_sorted(m_words.begin(), m_words.end(), earlier)) {
        sorted = m_words;
        std::stable_sort(sorted.begin(), sorted.end(), earlier);
        words = &sorted;
    }
    Sentence sentence;
    for (auto word = words->cbegin(); word != words->cend(); ++word) {
        // The sentence the word stands in: the last that starts at or before it.
        const qsizetype k =
            std::upper_bound(m_starts.begin(), m_starts.end(), word->position) - m_starts.begin() - 1;
        if (word != words->cbegin() && k == sentence.index)
            continue;
        if (word != words->cbegin()) {
            sentence.end = word;
            each(sentence);
        }
        sentence.index = k;
        sentence.begin = word;
    }
    if (!words->isEmpty()) {
        sentence.end = words->cend();
        each(sentence);
    }
}

QString Subtitles::sentenceText(const Sentence& sentence) const
{
    const qsizetype k = sentence.index;
    const int from = k >= 0 ? m_starts.at(k) : 0;
    int to = k + 1 < m_starts.size() ? m_starts.at(k + 1) : int(m_text.size());
    for (auto word = sentence.begin; word != sentence.end; ++word)
        to = std::max(to, word->position + word->length);
    return OneLine(m_text.mid(from, to - from));
}

void Subtitles::srt(double seconds, const Sink& put) const
{
    // A cue ends where the next begins, so each is written once the next is known.
    qsizetype number = 0;
    double pendingFrom = 0;
    QString pendingText;
    const auto flush = [&](double to) {
        put(QStringLiteral("%1\r\n%2 --> %3\r\n%4\r\n\r\n")
                .arg(number)
                .arg(SrtTime(pendingFrom), SrtTime(to), pendingText));
    };
    forEachSentence([&](const Sentence& sentence) {
        if (number > 0)
            flush(sentence.start());
        ++number;
        pendingFrom = sentence.start();
        pendingText = sentenceText(sentence);
    });
    if (number > 0)
        flush(std::max(pendingFrom, seconds));
}

void Subtitles::lrc(double seconds, const Sink& put) const
{
    bool any = false;
    forEachSentence([&](const Sentence& sentence) {
        any = true;
        QString line = u'[' + LrcTime(sentence.start()) + u']';
        for (auto word = sentence.begin; word != sentence.end; ++word)
            line += u'<' + LrcTime(word->seconds) + u'>' + OneLine(m_text.mid(word->position, word->length)) +
                    u' ';
        line.chop(1);
        put(line + QStringLiteral("\r\n"));
    });
    if (any)
        put(u'[' + LrcTime(seconds) + QStringLiteral("]\r\n"));
}

QString Subtitles::srt(double seconds) const
{
    QString out;
    srt(seconds, [&out](const QString& piece) { out += piece; });
    return out;
}

QString Subtitles::lrc(double seconds) const
{
    QString out;
    lrc(seconds, [&out](const QString& piece) { out += piece; });
    return out;
}

void Subtitles::write(const QString& soundFileName, double seconds) const
{
    const QFileInfo info(soundFileName);
    const QString base = info.path() + u'/' + info.completeBaseName();
    WriteText(base + QStringLiteral(".srt"), [&](const Sink& put) { srt(seconds, put); });
    WriteText(base + QStringLiteral(".lrc"), [&](const Sink& put) { lrc(seconds, put); });
}

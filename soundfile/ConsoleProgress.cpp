#include "soundfile/ConsoleProgress.h"

#include "files/MessageLanguage.h"

#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr qint64 RedrawMs = 250;         // the terminal line is rewritten at most this often
constexpr qint64 FirstEstimateMs = 2000; // no estimate of the time left before this

void WriteToStandardError(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

qint64 SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ConsoleProgress::Mode StandardErrorMode()
{
    return isatty(STDERR_FILENO) ? ConsoleProgress::Mode::Terminal : ConsoleProgress::Mode::Lines;
}

} // namespace

ConsoleProgress::ConsoleProgress() : ConsoleProgress(StandardErrorMode(), WriteToStandardError, SteadyMs) {}

ConsoleProgress::ConsoleProgress(Mode mode, Sink sink, Clock clock)
    : m_mode(mode), m_unquietMode(mode), m_sink(std::move(sink)), m_clock(std::move(clock))
{}

ConsoleProgress::~ConsoleProgress()
{
    Finish();
}

void ConsoleProgress::SetQuiet(bool quiet)
{
    Finish();
    m_mode = quiet ? Mode::Quiet : m_unquietMode;
}

QString ConsoleProgress::TimeLeft(qint64 elapsedMs, qint64 done, qint64 total)
{
    if (done <= 0 || total <= done || elapsedMs < FirstEstimateMs)
        return {};
    const qint64 seconds = (elapsedMs * (total - done) / done + 999) / 1000;
    if (seconds < 60)
        return Say("about %1 s left", "осталось около %1 с").arg(seconds);
    if (seconds < 3600)
        return Say("about %1 min %2 s left", "осталось около %1 мин %2 с")
            .arg(seconds / 60)
            .arg(seconds % 60);
    return Say("about %1 h %2 min left", "осталось около %1 ч %2 мин")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60);
}

void ConsoleProgress::Update(const QString& phase, const QString& subject, qint64 done, qint64 total)
{
    if (m_mode == Mode::Quiet)
        return;
    // A late word that an earlier file is complete (a part converted beside the speaking of
    // the next) starts nothing: the line stays with what is going on.
    if (total > 0 && done >= total && !m_phase.isEmpty() && (phase != m_phase || subject != m_subject))
        return;
    const qint64 now = m_clock();
    const auto count = m_counts.find(phase);
    if (count == m_counts.end() || done < count->done || total != count->total)
        m_counts.insert(phase, {now, done, total});
    else
        count->done = done;
    const bool started = phase != m_phase || subject != m_subject;
    m_phase = phase;
    m_subject = subject;
    if (m_mode == Mode::Lines) {
        if (started)
            m_sink(phase + u' ' + QDir::toNativeSeparators(subject) + u'\n');
        return;
    }
    const int percent = total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0;
    // Redrawn when something starts or ends, else at most every RedrawMs.
    const bool ended = percent == 100 && m_shownPercent != 100;
    if (!started && !ended && now - m_shownMs < RedrawMs)
        return;
    m_shownMs = now;
    m_shownPercent = percent;
    QString line = QStringLiteral("%1 %2: %3%").arg(phase, QDir::toNativeSeparators(subject)).arg(percent);
    const QString left = TimeLeft(now - m_counts.value(phase).startedMs, done, total);
    if (!left.isEmpty())
        line += QStringLiteral(", ") + left;
    const qsizetype length = line.size();
    if (length < m_lineLength)
        line += QString(m_lineLength - length, u' ');
    m_lineLength = length;
    m_sink(u'\r' + line);
}

void ConsoleProgress::Finish()
{
    if (m_lineLength == 0)
        return;
    m_sink(QStringLiteral("\n"));
    m_lineLength = 0;
}

void ConsoleProgress::Line(const QString& line)
{
    if (m_mode == Mode::Quiet)
        return;
    Finish();
    m_sink(line + u'\n');
}

void ConsoleProgress::Error(const QString& line)
{
    Finish();
    m_sink(line + u'\n');
}

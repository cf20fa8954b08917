#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Progress of the command line on standard error. On a terminal one line is rewritten in
// place: the phase (speaking, converting, videos), the file, the percent done and an
// estimate of the time left. When standard error is not a terminal (a log file, a pipe)
// one line is printed each time a phase starts on a file. Quiet, only errors are printed.
class ConsoleProgress
{
public:
    enum class Mode
    {
        Terminal,
        Lines,
        Quiet
    };
    using Sink = std::function<void(const QString& text)>; // writes the text as it is
    using Clock = std::function<qint64()>;                 // milliseconds, never going back

    // Standard error, with the mode its kind asks for.
    ConsoleProgress();
    ConsoleProgress(Mode mode, Sink sink, Clock clock);
    ~ConsoleProgress(); // ends the line being rewritten
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    Mode CurrentMode() const { return m_mode; }
    // Quiet, or back to what standard error asks for.
    void SetQuiet(bool quiet);

    // Work of a phase on one file: done of total units. The time left is estimated from the
    // time since the phase's count began: a count that goes back or changes its total begins
    // anew, so the speaking of a text divided into parts counts across its parts.
    void Update(const QString& phase, const QString& subject, qint64 done, qint64 total);
    // A line of information (a file taken up, an outcome): not when quiet.
    void Line(const QString& line);
    // A failure: always printed.
    void Error(const QString& line);
    // Ends the line being rewritten, so that what is printed next starts on a line of its own.
    void Finish();

    // "about 2 min 5 s left" from the time spent on done of total units; empty while too
    // little is done to tell.
    static QString TimeLeft(qint64 elapsedMs, qint64 done, qint64 total);

private:
    struct PhaseCount
    {
        qint64 startedMs = 0;
        qint64 done = 0;
        qint64 total = 0;
    };

    Mode m_mode;
    Mode m_unquietMode;
    Sink m_sink;
    Clock m_clock;
    QHash<QString, PhaseCount> m_counts;
    QString m_phase;   // of the last update
    QString m_subject; // of the last update
    qint64 m_shownMs = -1;
    int m_shownPercent = -1;
    qsizetype m_lineLength = 0; // of the line on the terminal, 0 when none is open
};

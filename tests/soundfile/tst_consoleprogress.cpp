#include "soundfile/ConsoleProgress.h"

#include <QTest>

// One step of a command line's progress: at a time (ms), an update of a phase on a file,
// or with an empty phase a line of information, or with phase "!" an error.
struct Step
{
    qint64 ms;
    QString phase;
    QString subject;
    qint64 done = 0;
    qint64 total = 0;
};
using Steps = QList<Step>;
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(ConsoleProgress::Mode)

class TestConsoleProgress : public QObject
{
    Q_OBJECT

private slots:
    void output_data();
    void output();
    void timeLeft_data();
    void timeLeft();
};

namespace {

// Two parts spoken and converted, then a line and an error.
Steps TwoParts()
{
    return {{0, "speaking", "/b/tale000.wav", 1, 4},
            {100, "speaking", "/b/tale000.wav", 2, 4},
            {3000, "converting", "/b/tale000.mp3", 0, 1000},
            {3100, "converting", "/b/tale000.mp3", 500, 1000},
            {3200, "converting", "/b/tale000.mp3", 1000, 1000},
            {4000, "speaking", "/b/tale001.wav", 3, 4},
            {4500, "speaking", "/b/tale001.wav", 4, 4},
            {5000, "", "Stopped."},
            {5000, "!", "No room left on /b"}};
}

} // namespace

void TestConsoleProgress::output_data()
{
    QTest::addColumn<ConsoleProgress::Mode>("mode");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not a terminal: a line per file and phase")
        << ConsoleProgress::Mode::Lines << TwoParts()
        << "speaking /b/tale000.wav\nconverting /b/tale000.mp3\nspeaking /b/tale001.wav\n"
           "Stopped.\nNo room left on /b\n";
    QTest::newRow("quiet: errors only")
        << ConsoleProgress::Mode::Quiet << TwoParts() << "No room left on /b\n";
    // Redrawn when a file or phase starts or ends, and every 250 ms; the time left once
    // 2 s have passed; the speaking count goes on across the conversion; a shorter line
    // blanks out the rest of the longer one.
    QTest::newRow("terminal: one line rewritten") << ConsoleProgress::Mode::Terminal << TwoParts()
                                                  << "\rspeaking /b/tale000.wav: 25%"
                                                     "\rconverting /b/tale000.mp3: 0%"
                                                     "\rconverting /b/tale000.mp3: 100%"
                                                     "\rspeaking /b/tale001.wav: 75%, about 2 s left"
                                                     "\rspeaking /b/tale001.wav: 100%               "
                                                     "\nStopped.\nNo room left on /b\n";
}

void TestConsoleProgress::output()
{
    QFETCH(ConsoleProgress::Mode, mode);
    QFETCH(Steps, steps);
    QFETCH(QString, expected);
    QString written;
    qint64 now = 0;
    {
        ConsoleProgress progress(
            mode, [&written](const QString& text) { written += text; }, [&now] { return now; });
        for (const Step& step : steps) {
            now = step.ms;
            if (step.phase.isEmpty())
                progress.Line(step.subject);
            else if (step.phase == u"!")
                progress.Error(step.subject);
            else
                progress.Update(step.phase, step.subject, step.done, step.total);
        }
    }
    QCOMPARE(written, expected);
}

void TestConsoleProgress::timeLeft_data()
{
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("expected");
    QTest::newRow("too early to tell") << qint64(1999) << qint64(1) << qint64(2) << "";
    QTest::newRow("nothing done yet") << qint64(5000) << qint64(0) << qint64(2) << "";
    QTest::newRow("all done") << qint64(5000) << qint64(2) << qint64(2) << "";
    QTest::newRow("seconds") << qint64(2000) << qint64(1) << qint64(2) << "about 2 s left";
    QTest::newRow("rounded up") << qint64(2001) << qint64(3) << qint64(4) << "about 1 s left";
    QTest::newRow("minutes") << qint64(65000) << qint64(1) << qint64(3) << "about 2 min 10 s left";
    QTest::newRow("hours") << qint64(3600000) << qint64(1) << qint64(4) << "about 3 h 0 min left";
    QTest::newRow("a long book") << qint64(20 * 60000) << qint64(100) << qint64(2603)
                                 << "about 8 h 20 min left";
}

void TestConsoleProgress::timeLeft()
{
    QFETCH(qint64, elapsedMs);
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, expected);
    QCOMPARE(ConsoleProgress::TimeLeft(elapsedMs, done, total), expected);
}

QTEST_APPLESS_MAIN(TestConsoleProgress)
#include "tst_consoleprogress.moc"

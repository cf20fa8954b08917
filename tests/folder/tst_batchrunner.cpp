#include "folder/BatchRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>

namespace {

QString WriteBatch(const QTemporaryDir& dir, const QByteArray& lines)
{
    const QString path = dir.filePath("ToVideo.bat");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(lines) != lines.size())
        return {};
    return path;
}

bool ProcessGone(pid_t pid)
{
    if (kill(pid, 0) != 0)
        return errno == ESRCH;
    QFile status(QString("/proc/%1/stat").arg(pid)); // a zombie not yet reaped by its new parent
    return status.open(QIODevice::ReadOnly) && status.readAll().contains(") Z ");
}

pid_t ReadPid(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
}

} // namespace

class TestBatchRunner : public QObject
{
    Q_OBJECT

private slots:
    void quickBatch();
    void limitKillsWholeGroup_data();
    void limitKillsWholeGroup();
    void stopEndsWaitButNotBatch();
};

void TestBatchRunner::quickBatch()
{
    QTemporaryDir dir;
    const QString batch = WriteBatch(dir, "cd '" + dir.path().toUtf8() + "/'\necho made > out.txt\n");
    QStringList log;
    QVERIFY(RunBatchAndWait(
        batch, 10, [] { return false; }, [&log](const QString& line) { log << line; }));
    QVERIFY(log.isEmpty());
    QVERIFY(QFile::exists(dir.filePath("out.txt")));
}

void TestBatchRunner::limitKillsWholeGroup_data()
{
    QTest::addColumn<QByteArray>("prologue");
    QTest::newRow("ends on SIGTERM") << QByteArray();
    QTest::newRow("ignores SIGTERM") << QByteArray("trap '' TERM\n");
}

void TestBatchRunner::limitKillsWholeGroup()
{
    QFETCH(QByteArray, prologue);
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("sleep.pid");
    const QString batch = WriteBatch(dir, prologue + "sh -c 'echo $$ > \"$0\"; exec sleep 30' '" +
                                              pidFile.toUtf8() + "'\ntouch after\n");
    QStringList log;
    int timerTicks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&timerTicks] { ++timerTicks; });
    ticker.start(100);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!RunBatchAndWait(
        batch, 1, [] { return false; }, [&log](const QString& line) { log << line; }));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 1000 && elapsed < 3500, qPrintable(QString::number(elapsed)));
    QCOMPARE(log, QStringList{"Terminate Process /bin/sh '" + batch + "'"});
    QVERIFY(timerTicks >= 3); // events ran while waiting
    const pid_t sleeper = ReadPid(pidFile);
    QVERIFY(sleeper > 0);
    QTRY_VERIFY_WITH_TIMEOUT(ProcessGone(sleeper), 3000);
    QVERIFY(!QFile::exists(dir.filePath("after")));
}

void TestBatchRunner::stopEndsWaitButNotBatch()
{
    QTemporaryDir dir;
    const QString batch = WriteBatch(dir, "cd '" + dir.path().toUtf8() + "/'\nsleep 2\ntouch finished\n");
    QStringList log;
    QElapsedTimer clock;
    clock.start();
    bool stop = false;
    QTimer stopper;
    stopper.setSingleShot(true);
    connect(&stopper, &QTimer::timeout, this, [&stop] { stop = true; });
    stopper.start(300);
    QVERIFY(RunBatchAndWait(
        batch, 60, [&stop] { return stop; }, [&log](const QString& line) { log << line; }));
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(log.isEmpty());
    QVERIFY(!QFile::exists(dir.filePath("finished")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("finished")), 6000);
}

QTEST_GUILESS_MAIN(TestBatchRunner)
#include "tst_batchrunner.moc"

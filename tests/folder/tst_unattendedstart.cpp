#include "FolderTestFiles.h"
#include "files/UnitFindFilesSL.h"
#include "files/VemoError.h"
#include "folder/UnattendedStart.h"

#include <QTemporaryDir>
#include <QTest>

using namespace FolderTestFiles;
using Poll = UnattendedStart::Poll;

class TestUnattendedStart : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
};

void TestUnattendedStart::check_data()
{
    QTest::addColumn<QString>("flag");  // "file", "folder" (cannot be deleted) or none
    QTest::addColumn<bool>("noFolder"); // the folder name is empty
    QTest::addColumn<bool>("runActive");
    QTest::addColumn<bool>("runThrows");
    QTest::addColumn<Poll>("expected");
    QTest::addColumn<int>("runs");
    QTest::addColumn<bool>("flagLeft");

    QTest::newRow("no folder name: logged")
        << "file" << true << false << false << Poll::NoFolder << 0 << true;
    QTest::newRow("no flag: nothing") << "" << false << false << false << Poll::NoFlag << 0 << false;
    QTest::newRow("flag: one run, flag gone") << "file" << false << false << false << Poll::Ran << 1 << false;
    QTest::newRow("flag during a run: no second run")
        << "file" << false << true << false << Poll::RunActive << 0 << true;
    QTest::newRow("failed run: flag gone all the same")
        << "file" << false << false << true << Poll::Ran << 1 << false;
    QTest::newRow("flag that cannot be deleted: kept, beeped")
        << "folder" << false << false << false << Poll::FlagKept << 1 << true;
}

void TestUnattendedStart::check()
{
    QFETCH(QString, flag);
    QFETCH(bool, noFolder);
    QFETCH(bool, runActive);
    QFETCH(bool, runThrows);
    QFETCH(Poll, expected);
    QFETCH(int, runs);
    QFETCH(bool, flagLeft);
    QTemporaryDir dir;
    const QString flagFile = UnattendedStart::FlagFilePath(dir.path());
    QCOMPARE(flagFile, dir.path() + "/Start.Flag");
    if (flag == "file")
        QVERIFY(Write(flagFile, "anything"));
    if (flag == "folder")
        QVERIFY(QDir().mkpath(flagFile + "/inside"));
    QStringList log;
    UnattendedStart start([&log](const QString& line) { log.append(line); });
    start.SetDeleteRetryMs(1);
    int beeps = 0;
    const auto oldBeep = SetAlertBeep([&beeps] { ++beeps; });
    int ran = 0;
    auto run = [&] {
        ++ran;
        if (runThrows)
            throw VemoError("run failed");
    };

    Poll poll = Poll::NoFlag;
    try {
        poll = start.Check(noFolder ? QString() : dir.path(), runActive, run);
        QVERIFY(!runThrows);
    } catch (const VemoError& e) {
        QVERIFY(runThrows);
        QCOMPARE(e.message(), "run failed");
        poll = Poll::Ran;
    }
    SetAlertBeep(oldBeep);

    QCOMPARE(poll, expected);
    QCOMPARE(ran, runs);
    QCOMPARE(QFileInfo::exists(flagFile), flagLeft);
    QCOMPARE(log, noFolder ? QStringList{UnattendedStart::NoFolderMessage()} : QStringList{});
    QCOMPARE(beeps, flag == "folder" ? DeleteFlagFileAttempts : 0);
}

QTEST_GUILESS_MAIN(TestUnattendedStart)
#include "tst_unattendedstart.moc"

#include "speech/SpeechQueue.h"

#include <QTest>
#include <thread>

// The hand-over between the engine thread and the GUI thread: which events are due when,
// what a purge drops, and when a voice counts as done.
class TestSpeechQueue : public QObject
{
    Q_OBJECT

private slots:
    void eventsComeAtTheirSample_data();
    void eventsComeAtTheirSample();
    void doneAtTheEndOfStreamBeforeTheClosingPause();
    void purgeDropsOldGenerationsAndWakesTheEngine();
};

namespace {

SpeechEvent Word(qint64 sample, int position, bool immediate = false)
{
    SpeechEvent event;
    event.kind = SpeechEvent::Kind::Word;
    event.sample = sample;
    event.position = position;
    event.immediate = immediate;
    return event;
}

QList<int> Positions(const QList<SpeechEvent>& events)
{
    QList<int> positions;
    for (const SpeechEvent& event : events)
        positions << (event.kind == SpeechEvent::Kind::EndStream ? -1 : event.position);
    return positions;
}

} // namespace

void TestSpeechQueue::eventsComeAtTheirSample_data()
{
    QTest::addColumn<bool>("fileStreamFirst");
    QTest::newRow("sound device only") << false;
    // A file stream's events count samples of the file; they must not hold back the
    // events of the next stream played on the device.
    QTest::newRow("after a file stream") << true;
}

void TestSpeechQueue::eventsComeAtTheirSample()
{
    QFETCH(bool, fileStreamFirst);
    SpeechQueue queue(true);
    if (fileStreamFirst) {
        const int generation = queue.BeginSpeak();
        QVERIFY(queue.BeginStream(generation));
        QVERIFY(queue.AppendEvents(generation, {Word(50000, 0, true), Word(90000, 5, true)}));
        SpeechEvent end;
        end.kind = SpeechEvent::Kind::EndStream;
        end.immediate = true;
        queue.FinishStream(generation, end);
        QCOMPARE(Positions(queue.TakeDueEvents()), (QList<int>{0, 5, -1}));
        QVERIFY(queue.IsDone());
    }
    const int generation = queue.BeginSpeak();
    QVERIFY(queue.BeginStream(generation));
    const std::vector<qint16> samples(3000, 100);
    QVERIFY(queue.AppendAudio(generation, samples.data(), 3000, {Word(0, 0), Word(1000, 4), Word(2000, 9)}));
    queue.FinishStream(generation, SpeechEvent{SpeechEvent::Kind::EndStream});
    const qint64 start = queue.Played();
    QCOMPARE(Positions(queue.TakeDueEvents()), QList<int>{0});
    queue.SetPlayed(start + 999);
    QVERIFY(queue.TakeDueEvents().isEmpty());
    queue.SetPlayed(start + 1000);
    QCOMPARE(Positions(queue.TakeDueEvents()), QList<int>{4});
    queue.SetPlayed(start + 3000);
    QCOMPARE(Positions(queue.TakeDueEvents()), (QList<int>{9, -1}));
    QVERIFY(queue.IsDone());
}

// The end of stream may come before the closing pause is heard; from then on the voice
// is done, though the pause still plays.
void TestSpeechQueue::doneAtTheEndOfStreamBeforeTheClosingPause()
{
    SpeechQueue queue(true);
    const int generation = queue.BeginSpeak();
    QVERIFY(queue.BeginStream(generation));
    const std::vector<qint16> samples(4000, 0);
    QVERIFY(queue.AppendAudio(generation, samples.data(), 4000, {Word(0, 0)}));
    SpeechEvent end;
    end.kind = SpeechEvent::Kind::EndStream;
    queue.FinishStream(generation, end, 1500);
    queue.SetPlayed(2499);
    QCOMPARE(Positions(queue.TakeDueEvents()), QList<int>{0});
    QVERIFY(!queue.IsDone());
    queue.SetPlayed(2500);
    QCOMPARE(Positions(queue.TakeDueEvents()), QList<int>{-1});
    QVERIFY(queue.IsDone());
    QCOMPARE(queue.Appended() - queue.Played(), 1500);
}

void TestSpeechQueue::purgeDropsOldGenerationsAndWakesTheEngine()
{
    SpeechQueue queue(true);
    const int old = queue.BeginSpeak();
    QVERIFY(queue.BeginStream(old));
    const std::vector<qint16> samples(5000, 1);
    QVERIFY(queue.AppendAudio(old, samples.data(), 5000, {Word(100, 0)}));
    bool engineGotRoom = true;
    // The engine waits while the listener is far behind; a purge must free it at once.
    std::thread engine([&] { engineGotRoom = queue.WaitForRoom(old, 1000); });
    QTest::qWait(50);
    queue.Purge();
    engine.join();
    QVERIFY(!engineGotRoom);
    QVERIFY(!queue.AppendAudio(old, samples.data(), 10, {Word(0, 1)}));
    queue.FinishStream(old, SpeechEvent{SpeechEvent::Kind::EndStream});
    QVERIFY(queue.TakeDueEvents().isEmpty());
    QVERIFY(queue.IsDone());
    QCOMPARE(queue.TakeAudio(1 << 20).size(), 0);
}

QTEST_GUILESS_MAIN(TestSpeechQueue)
#include "tst_speechqueue.moc"

#include "soundfile/Subtitles.h"

#include <QTemporaryDir>
#include <QTest>

// Subtitles from word times: one SRT cue and one LRC line per sentence heard, whatever order
// the words were reported in, written in pieces to files.
class TestSubtitles : public QObject
{
    Q_OBJECT

private slots:
    void cuesPerSentence_data();
    void cuesPerSentence();
    void writtenBesideTheSoundFile();
};

namespace {

const QString Text = QStringLiteral("Жил-был кот. He lived!\nEnd");

struct Timed
{
    int position;
    int length;
    double seconds;
};

} // namespace

void TestSubtitles::cuesPerSentence_data()
{
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<double>("audioSeconds");
    QTest::addColumn<QString>("srt");
    QTest::addColumn<QString>("lrc");
    const QString srt = QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,000\r\nЖил-был кот.\r\n\r\n"
                                       "2\r\n00:00:01,000 --> 00:00:02,000\r\nHe lived!\r\n\r\n"
                                       "3\r\n00:00:02,000 --> %1\r\nEnd\r\n\r\n");
    const QString lrc = QStringLiteral("[00:00.00]<00:00.00>Жил-был <00:00.50>кот\r\n"
                                       "[00:01.00]<00:01.00>He <00:01.25>lived\r\n"
                                       "[00:02.00]<00:02.00>End\r\n"
                                       "[%1]\r\n");
    QTest::newRow("in the order heard")
        << QList<int>{0, 1, 2, 3, 4} << 3.0 << srt.arg(QStringLiteral("00:00:03,000"))
        << lrc.arg(QStringLiteral("00:03.00"));
    QTest::newRow("reported out of order")
        << QList<int>{3, 0, 4, 2, 1} << 3.0 << srt.arg(QStringLiteral("00:00:03,000"))
        << lrc.arg(QStringLiteral("00:03.00"));
    // The last cue never ends before it begins.
    QTest::newRow("audio shorter than the last word")
        << QList<int>{0, 1, 2, 3, 4} << 1.5 << srt.arg(QStringLiteral("00:00:02,000"))
        << lrc.arg(QStringLiteral("00:01.50"));
    QTest::newRow("nothing heard") << QList<int>{} << 3.0 << QString() << QString();
}

void TestSubtitles::cuesPerSentence()
{
    QFETCH(QList<int>, order);
    QFETCH(double, audioSeconds);
    const QList<Timed> words{{0, 7, 0.0}, {8, 3, 0.5}, {13, 2, 1.0}, {16, 5, 1.25}, {23, 3, 2.0}};
    Subtitles subtitles(Text);
    for (int i : order)
        subtitles.addWord(words.at(i).position, words.at(i).length, words.at(i).seconds);
    QTEST(subtitles.srt(audioSeconds), "srt");
    QTEST(subtitles.lrc(audioSeconds), "lrc");
}

void TestSubtitles::writtenBesideTheSoundFile()
{
    // Enough sentences that the files are written in several pieces.
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("Предложение номер %1 здесь. ").arg(i);
    Subtitles all(text);
    for (qsizetype at = 0, i = 0; (at = text.indexOf(QStringLiteral("номер"), at)) >= 0; at += 5, ++i)
        all.addWord(int(at), 5, double(i) * 0.75);
    QTemporaryDir dir;
    all.write(dir.filePath(QStringLiteral("book 001.mp3")), 5000.0);
    QFile srt(dir.filePath(QStringLiteral("book 001.srt")));
    QFile lrc(dir.filePath(QStringLiteral("book 001.lrc")));
    QVERIFY(srt.open(QIODevice::ReadOnly) && lrc.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(srt.readAll()), all.srt(5000.0));
    QCOMPARE(QString::fromUtf8(lrc.readAll()), all.lrc(5000.0));
    QVERIFY(srt.size() > 128 * 1024);
}

QTEST_GUILESS_MAIN(TestSubtitles)
#include "tst_subtitles.moc"

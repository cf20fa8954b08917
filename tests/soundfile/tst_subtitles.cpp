#include "files/VemoError.h"
#include "soundfile/Subtitles.h"

#include <QDir>
#include <QFileInfo>
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
    void laidOutText_data();
    void laidOutText();
    void writtenWhileSpoken_data();
    void writtenWhileSpoken();
    void unwritableSubtitlesNameTheFile();
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
        subtitles.AddWord(words.at(i).position, words.at(i).length, words.at(i).seconds);
    QTEST(subtitles.Srt(audioSeconds), "srt");
    QTEST(subtitles.Lrc(audioSeconds), "lrc");
}

void TestSubtitles::writtenBesideTheSoundFile()
{
    // Enough sentences that the files are written in several pieces.
    QString text;
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("Предложение номер %1 здесь. ").arg(i);
    Subtitles all(text);
    for (qsizetype at = 0, i = 0; (at = text.indexOf(QStringLiteral("номер"), at)) >= 0; at += 5, ++i)
        all.AddWord(int(at), 5, double(i) * 0.75);
    QTemporaryDir dir;
    all.Write(dir.filePath(QStringLiteral("book 001.mp3")), 5000.0);
    QFile srt(dir.filePath(QStringLiteral("book 001.srt")));
    QFile lrc(dir.filePath(QStringLiteral("book 001.lrc")));
    QVERIFY(srt.open(QIODevice::ReadOnly) && lrc.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(srt.readAll()), all.Srt(5000.0));
    QCOMPARE(QString::fromUtf8(lrc.readAll()), all.Lrc(5000.0));
    QVERIFY(srt.size() > 128 * 1024);
}

using Offsets = QList<int>;

void TestSubtitles::laidOutText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<Offsets>("offsets");
    QTest::newRow("end to end") << QStringList{"Жил ", "was ", "кот."} << Offsets{0, 4, 8};
    QTest::newRow("gaps") << QStringList{"one", "two", "", "three"} << Offsets{2, 7, 12, 15};
    QTest::newRow("overlapping, the later on top") << QStringList{"aaaaaa", "bb", "cccc"} << Offsets{0, 1, 2};
    QTest::newRow("offsets going back") << QStringList{"later", "first", "xy"} << Offsets{6, 0, 3};
    QTest::newRow("a negative offset counts as 0") << QStringList{"abc", "Z"} << Offsets{-5, 1};
    QTest::newRow("more texts than offsets") << QStringList{"abc", "def"} << Offsets{1};
    QTest::newRow("nothing") << QStringList{} << Offsets{};
}

// The pieces read in place give the text that writing each over a string in turn gives.
void TestSubtitles::laidOutText()
{
    QFETCH(QStringList, texts);
    QFETCH(Offsets, offsets);
    QString written;
    for (qsizetype i = 0; i < qMin(texts.size(), offsets.size()); ++i) {
        const int at = qMax(0, offsets.at(i));
        if (written.size() < at)
            written += QString(at - written.size(), u' ');
        written.replace(at, texts.at(i).size(), texts.at(i));
    }
    const LaidOutText text(texts, offsets);
    QCOMPARE(text.Size(), written.size());
    QString read;
    for (int i = 0; i < text.Size(); ++i)
        read += text.At(i);
    QCOMPARE(read, written);
    QCOMPARE(text.Mid(1, 4), written.mid(1, 4));
    QCOMPARE(text.Mid(text.Size() - 2, 10), written.mid(written.size() - 2, 10));
}

void TestSubtitles::writtenWhileSpoken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("words");
    QTest::newRow("short") << Text << 5;
    QString sentences;
    for (int i = 0; i < 3000; ++i)
        sentences += QStringLiteral("Sentence %1 «said» here! Ещё one\r\n").arg(i);
    QTest::newRow("thousands of sentences, in pieces") << sentences << 0;
}

// Written as the words come, the subtitles are what the whole word list gives, under their
// final names only once closed; until then they stand under temporary names.
void TestSubtitles::writtenWhileSpoken()
{
    QFETCH(QString, text);
    QFETCH(int, words);
    QList<Timed> timed{{0, 7, 0.0}, {8, 3, 0.5}, {13, 2, 1.0}, {16, 5, 1.25}, {23, 3, 2.0}};
    if (words == 0) {
        timed.clear();
        for (qsizetype at = 0; (at = text.indexOf(u' ', at)) >= 0; ++at)
            timed.append({int(at) + 1, 3, double(timed.size()) * 0.4});
    }
    Subtitles whole(text);
    QTemporaryDir dir;
    SubtitleWriter writer{LaidOutText(text)};
    writer.Open(dir.filePath(QStringLiteral("tale000.wav")));
    for (const Timed& word : timed) {
        whole.AddWord(word.position, word.length, word.seconds);
        writer.AddWord(word.position, word.length, word.seconds);
    }
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("tale000.srt.part"))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("tale000.srt"))));
    writer.Close(timed.size() * 0.4 + 1, dir.filePath(QStringLiteral("tale000.mp3")));
    QFile srt(dir.filePath(QStringLiteral("tale000.srt")));
    QFile lrc(dir.filePath(QStringLiteral("tale000.lrc")));
    QVERIFY(srt.open(QIODevice::ReadOnly) && lrc.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(srt.readAll()), whole.Srt(timed.size() * 0.4 + 1));
    QCOMPARE(QString::fromUtf8(lrc.readAll()), whole.Lrc(timed.size() * 0.4 + 1));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"tale000.lrc", "tale000.srt"}));

    // Subtitles never closed (the run ended by an error) leave nothing behind.
    {
        SubtitleWriter abandoned{LaidOutText(text)};
        abandoned.Open(dir.filePath(QStringLiteral("tale001.wav")));
        abandoned.AddWord(0, 3, 0.0);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestSubtitles::unwritableSubtitlesNameTheFile()
{
    QTemporaryDir dir;
    SubtitleWriter writer{LaidOutText(Text)};
    const QString sound = dir.filePath(QStringLiteral("missing/tale.wav"));
    try {
        writer.Open(sound);
        QFAIL("no error");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(dir.filePath(QStringLiteral("missing/tale.srt"))),
                 qPrintable(e.Message()));
    }
    QVERIFY(!writer.IsOpen());
}

QTEST_GUILESS_MAIN(TestSubtitles)
#include "tst_subtitles.moc"

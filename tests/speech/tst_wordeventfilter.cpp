#include "speech/SegmentSettings.h"
#include "speech/SpeechVoice.h"
#include "speech/SpokenText.h"
#include "speech/WordEventFilter.h"

#include <QTest>

// The positions an engine reports become trustworthy word and sentence events.
class TestWordEventFilter : public QObject
{
    Q_OBJECT

private slots:
    void events_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QList<int>>("reported");
        QTest::addColumn<QString>("expected");
        const int plain = SpeakAsyncPlain;
        QTest::newRow("inside quotes: the whole word")
            << u"Привет, «мир» да."_qs << plain << QList<int>{0, 9, 14} << u"S0:17 W0:6 W8:5 W14:2"_qs;
        QTest::newRow("number read in parts gives one word")
            << u"Ровно 1234 штук"_qs << plain << QList<int>{0, 6, 7, 8, 11} << u"S0:15 W0:5 W6:4 W11:4"_qs;
        QTest::newRow("backwards and repeated positions dropped")
            << u"one two three"_qs << plain << QList<int>{4, 4, 0, 2, 8} << u"S0:13 W4:3 W8:5"_qs;
        QTest::newRow("position on a separator moves to the next word")
            << u"a , b"_qs << plain << QList<int>{1, 2} << u"S0:5 W4:1"_qs;
        QTest::newRow("beyond the end and only separators: nothing")
            << u"word ..."_qs << plain << QList<int>{5, 99} << u""_qs;
        QTest::newRow("CR LF counts two, sentences skip unspoken ones")
            << u"Да.\r\n... Нет! Ну"_qs << plain << QList<int>{0, 9, 14}
            << u"S0:3 W0:2 S9:4 W9:4 S14:2 W14:2"_qs;
        QTest::newRow("hyphen splits, dash does not")
            << u"кое-как—вот"_qs << plain << QList<int>{0, 4} << u"S0:11 W0:3 W4:7"_qs;
        QTest::newRow("markup: positions count the tags")
            << u"<emph>Hi</emph> <rate speed=\"2\">you &amp; me.</rate>"_qs << int(SpeakAsyncXml)
            << QList<int>{0, 3, 7, 9} << u"S6:39 W6:2 W32:3 W36:1 W42:2"_qs;
    }

    void events()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QList<int>, reported);
        QFETCH(QString, expected);
        const SpokenText spoken = SpokenText::FromSpeak(text, flags);
        WordEventFilter filter(spoken);
        QStringList got;
        for (int at : reported) {
            for (const SpeechEvent& e : filter.EventsForWord(at))
                got << QStringLiteral("%1%2:%3")
                           .arg(QChar(e.kind == SpeechEvent::Kind::Word ? u'W' : u'S'))
                           .arg(e.position)
                           .arg(e.length);
        }
        QCOMPARE(got.join(u' '), expected);
    }

    void wordStarts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("starts");
        QTest::newRow("separators of every kind")
            << u"(a) b,c-d \"e\"\r\nf"_qs << QList<int>{1, 4, 6, 8, 11, 15};
        QTest::newRow("signs and non-ASCII are word characters") << u"?! «» —"_qs << QList<int>{0, 3, 6};
        QTest::newRow("empty") << QString() << QList<int>{};
    }

    void wordStarts()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, starts);
        const SpokenText spoken = SpokenText::FromSpeak(text, SpeakAsyncPlain);
        QCOMPARE(WordEventFilter(spoken).WordStarts(), starts);
    }

    void rates_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("wordsPerMinute");
        QTest::newRow("normal") << 0 << 175;
        QTest::newRow("+5") << 5 << 303;
        QTest::newRow("-5") << -5 << 101;
        QTest::newRow("+10 three times normal, past 450 through the speed-up") << 10 << 525;
        QTest::newRow("-10 clamped to espeak's slowest") << -10 << 80;
        QTest::newRow("out of range") << 40 << 525;
    }

    void rates()
    {
        QFETCH(int, rate);
        QFETCH(int, wordsPerMinute);
        SegmentSettings settings;
        settings.rate = rate;
        QCOMPARE(settings.WordsPerMinute(), wordsPerMinute);
        QVERIFY(qAbs(RateFactor(10) - 3.0) < 1e-9 && qAbs(RateFactor(-10) - 1 / 3.0) < 1e-9);
    }

    void segmentSettings_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("voiceRate");
        QTest::addColumn<int>("voiceVolume");
        QTest::addColumn<QList<int>>("rateVolumePitch");
        QTest::newRow("voice's own") << u"a"_qs << 3 << 80 << QList<int>{3, 80, 0};
        QTest::newRow("absolute rate replaces")
            << u"<rate absspeed=\"-4\">a</rate>"_qs << 3 << 80 << QList<int>{-4, 80, 0};
        QTest::newRow("relative rate adds, clamped")
            << u"<rate speed=\"9\">a</rate>"_qs << 3 << 80 << QList<int>{10, 80, 0};
        QTest::newRow("volume scales the voice's")
            << u"<volume level=\"50\">a</volume>"_qs << 0 << 80 << QList<int>{0, 40, 0};
        QTest::newRow("emphasis: louder and higher")
            << u"<emph>a</emph>"_qs << 0 << 80 << QList<int>{0, 100, 2};
        QTest::newRow("pitch") << u"<pitch absmiddle=\"-3\"><pitch middle=\"-9\">a</pitch></pitch>"_qs << 0
                               << 100 << QList<int>{0, 100, -10};
    }

    void segmentSettings()
    {
        QFETCH(QString, markup);
        QFETCH(int, voiceRate);
        QFETCH(int, voiceVolume);
        QFETCH(QList<int>, rateVolumePitch);
        const SpokenText spoken = SpokenText::FromSpeak(markup, SpeakAsyncXml);
        QCOMPARE(spoken.Segments().size(), 1);
        const SegmentSettings s = SegmentSettings::Of(spoken.Segments().first(), voiceRate, voiceVolume);
        QCOMPARE((QList<int>{s.rate, s.volume, s.pitch}), rateVolumePitch);
    }
};

QTEST_APPLESS_MAIN(TestWordEventFilter)
#include "tst_wordeventfilter.moc"

#include "files/TextLineBreaks.h"
#include "files/VemoError.h"
#include "text/LineBreaks.h"
#include "text/Segmentation.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

namespace {

// One fragment as "lang@offset:text", so a whole split reads as one list in a table.
QStringList Describe(const FragmentLists& lists)
{
    QStringList out;
    for (qsizetype k = 0; k < lists.Count(); ++k)
        out << lists.FragmentLangs.at(k) + u'@' + lists.FragmentOffsets.at(k) + u':' +
                   lists.FragmentTexts.at(k);
    return out;
}

QStringList SplitDescribed(const QString& text, int limit, const QString& digitLang)
{
    FragmentLists lists;
    SplitPlainText(text, limit, digitLang, lists, QString());
    return Describe(lists);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Gives a text in pieces of a fixed size whatever is asked, so that every place in the text
// can fall on the seam between two pieces; lateEnd: says that nothing is left only when asked
// once more after the last piece.
class PieceSource : public ReadingSource
{
public:
    PieceSource(const QString& text, qsizetype piece, bool lateEnd)
        : m_text(text), m_piece(piece), m_lateEnd(lateEnd)
    {}
    bool Read(qsizetype, QString& text) override
    {
        text += m_text.mid(m_given, m_piece);
        m_given = std::min(m_given + m_piece, m_text.size());
        ++reads;
        return m_lateEnd ? m_given < m_text.size() || !std::exchange(m_endSeen, true)
                         : m_given < m_text.size();
    }
    int Base() override { return 0; }
    int reads = 0;

private:
    QString m_text;
    qsizetype m_given = 0;
    qsizetype m_piece;
    bool m_lateEnd;
    bool m_endSeen = false;
};

} // namespace

class TestSegmentation : public QObject
{
    Q_OBJECT

private slots:
    void separators();
    void languageOf_data();
    void languageOf();
    void split_data();
    void split();
    void coverageOnRandomTexts();
    void cutInStretches_data();
    void cutInStretches();
    void cutFromASourceInPieces_data();
    void cutFromASourceInPieces();
    void largeInputs_data();
    void largeInputs();
    void xmlSplit();
    void readingRegion_data();
    void readingRegion();
    void dumpContent();
    void dumpNotWrittenForEmptyText();
    void dumpFailureAfterListsFilled();
    void dumpInUnwritableFolderGoesToCache_data();
    void dumpInUnwritableFolderGoesToCache();
};

void TestSegmentation::separators()
{
    const QList<char16_t> signs = {34, 39, 40, 41, 44, 45, 46, 47, 58, 59, 91, 92, 93, 96, 123, 125};
    int separators = 0;
    for (int u = 0; u <= 0xFFFF; ++u) {
        const QChar c{char16_t(u)};
        const bool expected = u <= 32 || signs.contains(char16_t(u));
        QCOMPARE(IsSeparator(c), expected);
        QCOMPARE(IsLeadingSkip(c), expected && u != '-');
        separators += IsSeparator(c);
    }
    QCOMPARE(separators, 33 + 16);
}

void TestSegmentation::languageOf_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("digitLang");
    QTest::addColumn<QString>("expected");

    QTest::newRow("latin upper") << "Zebra"
                                 << "R"
                                 << "E";
    QTest::newRow("latin lower") << "apple"
                                 << "R"
                                 << "E";
    QTest::newRow("cyrillic") << "дом"
                              << "E"
                              << "R";
    QTest::newRow("yo upper") << "Ёлка"
                              << "E"
                              << "R";
    QTest::newRow("yo lower") << "ёж"
                              << "E"
                              << "R";
    QTest::newRow("digit R") << "7up"
                             << "R"
                             << "R";
    QTest::newRow("digit E") << "7д"
                             << "E"
                             << "E";
    QTest::newRow("sign") << "!yes"
                          << "E"
                          << "R";
    QTest::newRow("accented latin") << "éte"
                                    << "E"
                                    << "R";
    QTest::newRow("outside cp1251") << "中文"
                                    << "E"
                                    << "R";
    QTest::newRow("surrogate pair") << "\U0001F600a"
                                    << "E"
                                    << "R";
    QTest::newRow("only first character counts") << "aбв"
                                                 << "R"
                                                 << "E";
    QTest::newRow("fullwidth digit") << "１"
                                     << "E"
                                     << "R";
}

void TestSegmentation::languageOf()
{
    QFETCH(QString, word);
    QFETCH(QString, digitLang);
    QFETCH(QString, expected);
    QCOMPARE(LanguageOf(word, digitLang), expected);
}

void TestSegmentation::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("digitLang");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three languages") << "Привет, world! Как дела?" << 1000 << "R"
                                     << QStringList{"R@0:Привет, ", "E@8:world! ", "R@15:Как дела?"};
    QTest::newRow("sentence cut, blank after stop")
        << "aaa bbb ccc. ddd" << 5 << "R" << QStringList{"E@0:aaa bbb ccc.", "R@12: ", "E@13:ddd"};
    QTest::newRow("digits English") << "2024 year" << 1000 << "E" << QStringList{"E@0:2024 year"};
    QTest::newRow("digits Russian") << "2024 year" << 1000 << "R" << QStringList{"R@0:2024 ", "E@5:year"};
    QTest::newRow("first letter decides")
        << "iPhone и Android" << 1000 << "R" << QStringList{"E@0:iPhone ", "R@7:и ", "E@9:Android"};
    QTest::newRow("leading skip") << "  (Hello)" << 1000 << "R" << QStringList{"E@3:Hello)"};
    QTest::newRow("hyphen not skipped") << "- Hello" << 1000 << "R" << QStringList{"R@0:- ", "E@2:Hello"};
    QTest::newRow("only skip characters") << " \r\n\t(\"." << 1000 << "R" << QStringList{};
    QTest::newRow("word characters only") << "!!!" << 1000 << "E" << QStringList{"R@0:!!!"};
    QTest::newRow("hash becomes blank") << "a#б" << 1000 << "R" << QStringList{"E@0:a ", "R@2:б"};
    QTest::newRow("leading hash skipped") << "#x" << 1000 << "R" << QStringList{"E@1:x"};
    QTest::newRow("lone LF grows positions")
        << "a\nб\nc" << 1000 << "R" << QStringList{"E@0:a\r\n", "R@3:б\r\n", "E@6:c"};
    QTest::newRow("lone CR") << "a\rб" << 1000 << "R" << QStringList{"E@0:a\r\n", "R@3:б"};
    QTest::newRow("CR LF kept") << "\r\nHi\r\nпока" << 1000 << "R" << QStringList{"E@2:Hi\r\n", "R@6:пока"};
    QTest::newRow("no cut at limit exactly") << "abc d. e" << 4 << "R" << QStringList{"E@0:abc d. e"};
    QTest::newRow("cut just above limit")
        << "abcd e. f" << 4 << "R" << QStringList{"E@0:abcd e.", "R@7: ", "E@8:f"};
    QTest::newRow("no cut on comma") << "aaaa bbbb, c" << 2 << "R" << QStringList{"E@0:aaaa bbbb, c"};
    QTest::newRow("no cut after stop-less separator")
        << "aaaa b .c" << 2 << "R" << QStringList{"E@0:aaaa b .c"};
    QTest::newRow("language change wins over cut")
        << "aaaa бб. c" << 2 << "R" << QStringList{"E@0:aaaa ", "R@5:бб. ", "E@9:c"};
    QTest::newRow("stop at the very end") << "aaaa bbb." << 2 << "R" << QStringList{"E@0:aaaa bbb."};
    QTest::newRow("letter after stop taken unexamined")
        << "ab cd.эф" << 1 << "R" << QStringList{"E@0:ab cd.", "R@6:эф"};
    QTest::newRow("letter after stop starts other language")
        << "ab cd.xэ" << 1 << "R" << QStringList{"E@0:ab cd.", "E@6:x", "R@7:э"};
    QTest::newRow("stop after stop") << "ab cd..x" << 1 << "R" << QStringList{"E@0:ab cd.", "R@6:.", "E@7:x"};
    QTest::newRow("CR after stop, LF follows")
        << "ab cd.\nxy" << 1 << "R" << QStringList{"E@0:ab cd.", "R@6:\r\n", "E@8:xy"};
    QTest::newRow("repeated cuts") << "aa bb. cc dd. ee" << 2 << "E"
                                   << QStringList{"E@0:aa bb.", "R@6: ", "E@7:cc dd.", "R@13: ", "E@14:ee"};
    QTest::newRow("outside cp1251 is a word")
        << "中文 abc" << 1000 << "R" << QStringList{"R@0:中文 ", "E@3:abc"};
    QTest::newRow("no-break space is a word character")
        << "a\u00A0б" << 1000 << "R" << QStringList{"E@0:a\u00A0б"};
    QTest::newRow("trailing separators stay") << "Hi, мир!  \r\n"
                                              << 1000 << "R" << QStringList{"E@0:Hi, ", "R@4:мир!  \r\n"};
}

void TestSegmentation::split()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, digitLang);
    QFETCH(QStringList, expected);
    QCOMPARE(SplitDescribed(text, limit, digitLang), expected);
}

// Whatever the text, the fragments cover the work text from its first non-skip character to
// the end, in order, without gap or overlap, and each offset is where its text stands.
void TestSegmentation::coverageOnRandomTexts()
{
    const QString alphabet = QStringLiteral("ab Zя.Ё,-#\r\n\t1!\"()中 ");
    QRandomGenerator rng(20261208);
    FragmentLists lists;
    lists.FragmentTexts << "stale";
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = rng.bounded(0, 120);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(rng.bounded(alphabet.size()));
        const int limit = rng.bounded(0, 12);
        SplitPlainText(text, limit, round % 2 ? "E" : "R", lists, QString());

        const QString work = ReplaceAll(NormalizeLineBreaks(text), "#", " ");
        qsizetype pos = 0;
        while (pos < work.size() && IsLeadingSkip(work.at(pos)))
            ++pos;
        QCOMPARE(lists.FragmentLangs.size(), lists.Count());
        QCOMPARE(lists.FragmentOffsets.size(), lists.Count());
        for (qsizetype k = 0; k < lists.Count(); ++k) {
            const QString& t = lists.FragmentTexts.at(k);
            QVERIFY2(!t.isEmpty(), qPrintable(text));
            QCOMPARE(lists.FragmentOffsets.at(k), QString::number(pos));
            QCOMPARE(work.mid(pos, t.size()), t);
            QVERIFY(lists.FragmentLangs.at(k) == "R" || lists.FragmentLangs.at(k) == "E");
            pos += t.size();
        }
        QCOMPARE(pos, work.size());
    }
}

void TestSegmentation::cutInStretches_data()
{
    QTest::addColumn<qsizetype>("stretch");
    for (const qsizetype stretch : {1, 2, 3, 7, 64})
        QTest::addRow("%lld characters at a time", static_cast<long long>(stretch)) << stretch;
}

// A cut in stretches of any length, ending anywhere (inside a word, on a full stop at the
// limit, before a change of language), gives the fragments of a cut in one go.
void TestSegmentation::cutInStretches()
{
    QFETCH(qsizetype, stretch);
    const QString alphabet = QStringLiteral("ab Zя.Ё,-#\r\n\t1!\"()中 ");
    QRandomGenerator rng(20261209);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int length = rng.bounded(0, 120);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(rng.bounded(alphabet.size()));
        const int limit = rng.bounded(0, 12);
        const QString digits = round % 2 ? QStringLiteral("E") : QStringLiteral("R");
        FragmentLists whole;
        SplitPlainText(text, limit, digits, whole, QString());
        FragmentLists cut;
        PlainTextSplitter splitter(text, limit, digits, cut);
        int stretches = 1;
        while (!splitter.Advance(stretch))
            ++stretches;
        // Line breaks become CR LF, so the work text is at most twice as long.
        QVERIFY(stretches <= 2 * text.size() / stretch + 2);
        QCOMPARE(cut.FragmentTexts, whole.FragmentTexts);
        QCOMPARE(cut.FragmentLangs, whole.FragmentLangs);
        QCOMPARE(cut.FragmentOffsets, whole.FragmentOffsets);
        QVERIFY(splitter.Advance(stretch)); // a finished cut stays finished and adds nothing
        QCOMPARE(cut.Count(), whole.Count());
    }
}

void TestSegmentation::cutFromASourceInPieces_data()
{
    QTest::addColumn<qsizetype>("piece");
    QTest::addColumn<qsizetype>("stretch");
    QTest::addColumn<bool>("lateEnd");
    for (const qsizetype piece : {1, 2, 3, 5})
        for (const qsizetype stretch : {1, 4, 1000})
            for (const bool lateEnd : {false, true})
                QTest::addRow("pieces of %lld, stretches of %lld%s", static_cast<long long>(piece),
                              static_cast<long long>(stretch), lateEnd ? ", end told late" : "")
                    << piece << stretch << lateEnd;
}

// A text taken from its source a piece at a time, with the seams anywhere (between the CR
// and the LF of a break, after a lone CR, on a full stop, inside the leading separators, on
// a "#"), is normalised and cut as the whole text is in one go.
void TestSegmentation::cutFromASourceInPieces()
{
    QFETCH(qsizetype, piece);
    QFETCH(qsizetype, stretch);
    QFETCH(bool, lateEnd);
    const QString alphabet = QStringLiteral("ab Zя.\r\n\r\n#,-1 ");
    QRandomGenerator rng(20261210);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int length = rng.bounded(0, 60);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(rng.bounded(alphabet.size()));
        const int limit = rng.bounded(0, 8);
        FragmentLists whole;
        SplitPlainText(text, limit, "R", whole, QString());
        PieceSource source(text, piece, lateEnd);
        FragmentLists cut;
        PlainTextSplitter splitter(source, limit, "R", cut);
        while (!splitter.Advance(stretch)) {
        }
        QCOMPARE(Describe(cut), Describe(whole));
        // The text is taken as the cut needs it, not ahead of it.
        if (stretch == 1 && text.size() > 20)
            QVERIFY(source.reads > 2);
    }
}

// Texts that yield a fragment per word or one giant fragment stay linear: a quadratic pass
// would run into the test's time limit here.
void TestSegmentation::largeInputs_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("fragmentsPerUnit");

    QTest::newRow("one giant word") << "a" << 1000 << 0;
    QTest::newRow("alternating languages") << "ab вг " << 1000 << 2;
    QTest::newRow("cut after every sentence") << "ab cd. " << 0 << 2;
    QTest::newRow("lone LF lines") << "word\n" << 1000 << 0;
}

void TestSegmentation::largeInputs()
{
    QFETCH(QString, unit);
    QFETCH(int, limit);
    QFETCH(int, fragmentsPerUnit);
    const qsizetype repeats = 400'000 / unit.size();
    const QString text = unit.repeated(repeats);
    FragmentLists lists;
    SplitPlainText(text, limit, "R", lists, QString());
    if (fragmentsPerUnit > 0)
        QVERIFY(lists.Count() >= repeats * fragmentsPerUnit - 2);
    else
        QCOMPARE(lists.Count(), 1);
    qsizetype total = 0;
    for (const QString& t : std::as_const(lists.FragmentTexts))
        total += t.size();
    QCOMPARE(total, NormalizeLineBreaks(text).size());
}

void TestSegmentation::xmlSplit()
{
    FragmentLists lists;
    SplitXmlText(QStringLiteral("  <volume level=\"50\">\nHello#мир</volume>"), lists, QString());
    QCOMPARE(Describe(lists), QStringList{"R@0:  <volume level=\"50\">\r\nHello мир</volume>"});
    SplitXmlText(QString(), lists, QString());
    QCOMPARE(lists.Count(), 0);
    QVERIFY(lists.FragmentLangs.isEmpty() && lists.FragmentOffsets.isEmpty());
}

void TestSegmentation::readingRegion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("region");
    QTest::addColumn<int>("start");

    QTest::newRow("caret at 0") << "0123456789" << 0 << "0123456789" << 0;
    QTest::newRow("caret at 4") << "0123456789" << 4 << "456789" << 4;
    QTest::newRow("caret before last but one") << "0123456789" << 8 << "89" << 8;
    QTest::newRow("caret on last") << "0123456789" << 9 << "0123456789" << 0;
    QTest::newRow("caret at end") << "0123456789" << 10 << "0123456789" << 0;
    QTest::newRow("caret beyond end") << "0123456789" << 99 << "0123456789" << 0;
    QTest::newRow("negative caret") << "0123456789" << -3 << "0123456789" << 0;
    QTest::newRow("empty text") << "" << 0 << "" << 0;
    QTest::newRow("crlf counts two") << "ab\r\ncd" << 4 << "cd" << 4;
}

void TestSegmentation::readingRegion()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, region);
    QFETCH(int, start);
    const ReadingRegion r = GetReadingText(text, caret);
    QCOMPARE(r.text, region);
    QCOMPARE(r.start, start);
}

void TestSegmentation::dumpContent()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString dump = dir.filePath(FragmentDumpFileName);
    QFile old(dump);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();

    FragmentLists lists;
    SplitPlainText(QStringLiteral("Привет, world!\nЁж"), 1000, "R", lists, dump);
    QCOMPARE(ReadAll(dump), QByteArray("Привет, \r\nworld!\r\n\r\nЁж\r\n"));

    SplitXmlText(QStringLiteral("a\nб"), lists, dump);
    QCOMPARE(ReadAll(dump), QByteArray("a\r\nб\r\n"));

    SplitPlainText(QStringLiteral(" \t "), 1000, "R", lists, dump);
    QCOMPARE(lists.Count(), 0);
    QCOMPARE(ReadAll(dump), QByteArray());
}

void TestSegmentation::dumpNotWrittenForEmptyText()
{
    QTemporaryDir dir;
    const QString dump = dir.filePath(FragmentDumpFileName);
    FragmentLists lists;
    SplitPlainText(QString(), 1000, "R", lists, dump);
    SplitXmlText(QString(), lists, dump);
    QVERIFY(!QFile::exists(dump));
}

void TestSegmentation::dumpFailureAfterListsFilled()
{
    QTemporaryDir dir;
    const QString dump = dir.filePath("missing folder/" + FragmentDumpFileName);
    FragmentLists lists;
    try {
        SplitPlainText(QStringLiteral("Hello мир"), 1000, "R", lists, dump);
        QFAIL("an unwritable dump must raise an error");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(dump), qPrintable(e.Message()));
    }
    QCOMPARE(Describe(lists), (QStringList{"E@0:Hello ", "R@6:мир"}));

    QVERIFY_THROWS_EXCEPTION(VemoError, SplitXmlText(QStringLiteral("x"), lists, dump));
    QCOMPARE(Describe(lists), QStringList{"R@0:x"});
}

void TestSegmentation::dumpInUnwritableFolderGoesToCache_data()
{
    QTest::addColumn<bool>("xml");
    QTest::newRow("plain") << false;
    QTest::newRow("markup") << true;
}

// A current folder nobody can write (here /proc, closed even to root) sends the dump to the
// user's cache folder; a writable one keeps it under its relative name.
void TestSegmentation::dumpInUnwritableFolderGoesToCache()
{
    QFETCH(bool, xml);
    QTemporaryDir cache;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString oldFolder = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(oldFolder);
        qputenv("XDG_CACHE_HOME", oldCache);
    });
    const QString cached = cache.filePath("vemo/" + FragmentDumpFileName);
    QCOMPARE(FragmentDumpCachePath(), cached);
    FragmentLists lists;
    const auto split = [&] {
        if (xml)
            SplitXmlText(QStringLiteral("Hello мир"), lists);
        else
            SplitPlainText(QStringLiteral("Hello мир"), 1000, "R", lists);
    };
    QVERIFY(QDir::setCurrent("/proc"));
    split();
    QCOMPARE(ReadAll(cached), xml ? QByteArray("Hello мир\r\n") : QByteArray("Hello \r\nмир\r\n"));

    QTemporaryDir writable;
    QVERIFY(QDir::setCurrent(writable.path()));
    QFile::remove(cached);
    split();
    QVERIFY(QFile::exists(writable.filePath(FragmentDumpFileName)));
    QVERIFY(!QFile::exists(cached));
}

QTEST_GUILESS_MAIN(TestSegmentation)
#include "tst_segmentation.moc"

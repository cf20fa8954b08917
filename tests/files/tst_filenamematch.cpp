#include "files/FileNameMatch.h"

#include <QTest>
#include <algorithm>

class TestFileNameMatch : public QObject
{
    Q_OBJECT

private slots:
    void mask_data();
    void mask();
    void naturalOrder_data();
    void naturalOrder();
    void orderIsTotal();
};

void TestFileNameMatch::mask_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("matches");

    QTest::newRow("extension") << "a.txt"
                               << "*.txt" << true;
    QTest::newRow("extension upper") << "D.TXT"
                                     << "*.txt" << true;
    QTest::newRow("longer extension") << "a.txtx"
                                      << "*.txt" << false;
    QTest::newRow("double extension") << "a.txt.bak"
                                      << "*.txt" << false;
    QTest::newRow("only extension") << ".txt"
                                    << "*.txt" << true;
    QTest::newRow("star matches all") << "anything at all"
                                      << "*" << true;
    QTest::newRow("star matches empty") << ""
                                        << "*" << true;
    QTest::newRow("question one char") << "a1.txt"
                                       << "a?.txt" << true;
    QTest::newRow("question not zero chars") << "a.txt"
                                             << "a?.txt" << false;
    QTest::newRow("several stars") << "abXcdYcd"
                                   << "ab*cd*cd" << true;
    QTest::newRow("backtracking") << "aaab"
                                  << "*a*b" << true;
    QTest::newRow("backtracking fails") << "aaac"
                                        << "*a*b" << false;
    QTest::newRow("cyrillic case") << "ГЛАВА1.txt"
                                   << "глава*.TXT" << true;
    QTest::newRow("brackets literal") << "[1].txt"
                                      << "[1].txt" << true;
    QTest::newRow("brackets not a class") << "1.txt"
                                          << "[1].txt" << false;
    QTest::newRow("exact") << "Start.Flag"
                           << "start.flag" << true;
}

void TestFileNameMatch::mask()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, matches);
    QCOMPARE(MatchesMask(name, mask), matches);
}

void TestFileNameMatch::naturalOrder_data()
{
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("digits by value, case ignored")
        << QStringList{"глава 9.txt",   "глава 12.txt",  "chapter1.txt",    "Chapter2.txt",
                       "chapter2a.txt", "chapter10.txt", "chapter010x.txt", "chapter11.txt"};
    // Ё counts as Е: "Ёлка" comes where "Елка" would.
    QTest::newRow("Ё as Е, before Я") << QStringList{"Ёлка.txt", "Ель.txt", "Жук.txt", "Яблоко.txt"};
    QTest::newRow("lower-case ё") << QStringList{"ёж 2.txt", "ёж 10.txt", "ежи.txt", "яма.txt"};
    // The Russian locale puts its own alphabet first.
    QTest::newRow("Cyrillic before Latin") << QStringList{"Яблоко.txt", "Apple.txt"};
    QTest::newRow("numbers longer than 64 bits")
        << QStringList{"a99999999999999999999", "a100000000000000000000"};
    QTest::newRow("a prefix first") << QStringList{"a", "a1"};
    QTest::newRow("Тома by number") << QStringList{"Том 2. Война.txt", "Том 3.txt", "Том 20.txt"};
}

void TestFileNameMatch::naturalOrder()
{
    QFETCH(QStringList, expected);
    QStringList names = expected;
    std::reverse(names.begin(), names.end());
    std::sort(names.begin(), names.end(), NaturalLess);
    QCOMPARE(names, expected);
}

// Names equal apart from case or leading zeros still come in one fixed order, so that
// every run takes a folder's books in the same order.
void TestFileNameMatch::orderIsTotal()
{
    QVERIFY(!NaturalLess("x", "x"));
    QVERIFY(NaturalLess("A.txt", "a.txt") != NaturalLess("a.txt", "A.txt"));
    QVERIFY(NaturalLess("f01", "f1") != NaturalLess("f1", "f01"));
    QVERIFY(NaturalLess("Ёлка", "ёлка") != NaturalLess("ёлка", "Ёлка"));
}

QTEST_GUILESS_MAIN(TestFileNameMatch)
#include "tst_filenamematch.moc"

#include "files/TextLineBreaks.h"
#include "text/LineBreaks.h"

#include <QTest>

class TestLineBreaks : public QObject
{
    Q_OBJECT

private slots:
    void normalize_data();
    void normalize();
    void replaceAll_data();
    void replaceAll();
};

void TestLineBreaks::normalize_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no breaks") << "abc déf"
                               << "abc déf";
    QTest::newRow("crlf kept") << "a\r\nb"
                               << "a\r\nb";
    QTest::newRow("lone lf") << "a\nb"
                             << "a\r\nb";
    QTest::newRow("lone cr") << "a\rb"
                             << "a\r\nb";
    QTest::newRow("lf cr is two breaks") << "a\n\rb"
                                         << "a\r\n\r\nb";
    QTest::newRow("cr cr lf") << "\r\r\n"
                              << "\r\n\r\n";
    QTest::newRow("trailing cr") << "x\r"
                                 << "x\r\n";
    QTest::newRow("leading lf") << "\nx"
                                << "\r\nx";
    QTest::newRow("mixed") << "1\r\n2\n3\r4\n\n5"
                           << "1\r\n2\r\n3\r\n4\r\n\r\n5";
    QTest::newRow("only breaks") << "\n\r\n\r"
                                 << "\r\n\r\n\r\n";
}

void TestLineBreaks::normalize()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(NormalizeLineBreaks(input), expected);
    QCOMPARE(NormalizeLineBreaks(expected), expected);
}

void TestLineBreaks::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("simple") << "a#b#c"
                            << "#"
                            << " "
                            << "a b c";
    QTest::newRow("no overlap") << "aaa"
                                << "aa"
                                << "b"
                                << "ba";
    QTest::newRow("no overlap even count") << "aaaa"
                                           << "aa"
                                           << "b"
                                           << "bb";
    QTest::newRow("replacement not searched again") << "abc"
                                                    << "b"
                                                    << "bb"
                                                    << "abbc";
    QTest::newRow("replacement forms new occurrence") << "aab"
                                                      << "ab"
                                                      << "a"
                                                      << "aa";
    QTest::newRow("empty find") << "xx"
                                << ""
                                << "y"
                                << "xx";
    QTest::newRow("case-sensitive") << "Ab ab"
                                    << "a"
                                    << "z"
                                    << "Ab zb";
    QTest::newRow("cyrillic case-sensitive") << "Да да"
                                             << "да"
                                             << "нет"
                                             << "Да нет";
    QTest::newRow("find longer than text") << "ab"
                                           << "abc"
                                           << "z"
                                           << "ab";
    QTest::newRow("delete") << "a--b--"
                            << "--"
                            << ""
                            << "ab";
    QTest::newRow("whole text") << "abc"
                                << "abc"
                                << ""
                                << "";
    QTest::newRow("empty text") << ""
                                << "a"
                                << "b"
                                << "";
    QTest::newRow("crlf to lf") << "1\r\n2\r\n"
                                << "\r\n"
                                << "\n"
                                << "1\n2\n";
}

void TestLineBreaks::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(ReplaceAll(text, find, replacement), expected);
}

QTEST_GUILESS_MAIN(TestLineBreaks)
#include "tst_linebreaks.moc"

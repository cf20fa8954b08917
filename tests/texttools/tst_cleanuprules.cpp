#include "TextNotation.h"
#include "text/LineBreaks.h"
#include "texttools/CleanupRules.h"
#include "texttools/DocumentText.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTextDocument>
#include <functional>

using Rule = std::function<QString(const QString&)>;
Q_DECLARE_METATYPE(Rule)

class TestCleanupRules : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void largeTextsRunInLinearTime_data();
    void largeTextsRunInLinearTime();
    void documentTextRoundTrip_data();
    void documentTextRoundTrip();
};

void TestCleanupRules::rules_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    const Rule brackets = RemoveAngleBrackets;
    const Rule hyphens = RemoveHyphenation;
    const Rule join = JoinSingleLineBreaks;
    const Rule collapse = CollapseDoubleLineBreaks;

    QTest::newRow("brackets: tags") << brackets << T("<b>bold</b>") << T(" b bold /b ");
    QTest::newRow("brackets: emph") << brackets << T("<emph>") << T(" emph ");
    QTest::newRow("brackets: lone LF normalised") << brackets << T("a␊<b") << T("a↵ b");

    QTest::newRow("hyphen: CR LF") << hyphens << T("a-↵b") << T("ab");
    QTest::newRow("hyphen: lone LF") << hyphens << T("a-␊b") << T("ab");
    QTest::newRow("hyphen: lone CR") << hyphens << T("a-␍b") << T("ab");
    QTest::newRow("hyphen: blank before hyphen") << hyphens << T("a -↵b") << T("a b");
    QTest::newRow("hyphen: blank after hyphen") << hyphens << T("a- ␊b") << T("a- ↵b");
    QTest::newRow("hyphen: two hyphens") << hyphens << T("a--↵b") << T("a-b");
    QTest::newRow("hyphen: LF CR is two breaks") << hyphens << T("a-␊␍b") << T("a↵b");

    QTest::newRow("join: single") << join << T("x↵y") << T("x y");
    QTest::newRow("join: paragraph kept") << join << T("x↵↵y") << T("x↵↵y");
    QTest::newRow("join: indent kept") << join << T("x↵ y") << T("x↵ y");
    QTest::newRow("join: three breaks") << join << T("x↵↵↵y") << T("x↵↵ y");
    QTest::newRow("join: four breaks") << join << T("x↵↵↵↵y") << T("x↵↵↵↵y");
    QTest::newRow("join: lone CR") << join << T("x␍y") << T("x y");
    QTest::newRow("join: LF CR") << join << T("x␊␍y") << T("x↵↵y");
    QTest::newRow("join: CR CR LF") << join << T("x␍␍␊y") << T("x↵↵y");
    QTest::newRow("join: SOH and STX become blanks") << join << T("a¹b²c↵d") << T("a b c d");
    QTest::newRow("join: SOH beside breaks") << join << T("a¹↵↵²b") << T("a ↵↵ b");
    QTest::newRow("join: lines of a paragraph")
        << join << T("one↵two↵three↵↵ Next↵line") << T("one two three↵↵ Next line");
    QTest::newRow("join: text ends in break") << join << T("x↵") << T("x ");
    QTest::newRow("join: no breaks") << join << T("plain text") << T("plain text");

    QTest::newRow("collapse: two") << collapse << T("x↵↵y") << T("x↵y");
    QTest::newRow("collapse: three") << collapse << T("x↵↵↵y") << T("x↵↵y");
    QTest::newRow("collapse: four") << collapse << T("x↵↵↵↵y") << T("x↵↵y");
    QTest::newRow("collapse: five") << collapse << T("x↵↵↵↵↵y") << T("x↵↵↵y");
    QTest::newRow("collapse: mixed lone") << collapse << T("x␊␊␍y") << T("x↵↵y");
    QTest::newRow("collapse: no breaks") << collapse << T("plain text") << T("plain text");

    const auto replaceXX = [](const QString& text) { return ReplaceAll(text, "XX", "20"); };
    const auto replaceEmpty = [](const QString& text) { return ReplaceAll(text, "", "20"); };
    QTest::newRow("replace: example") << Rule(replaceXX) << T("XX век, XXX") << T("20 век, 20X");
    QTest::newRow("replace: case-sensitive") << Rule(replaceXX) << T("xx") << T("xx");
    QTest::newRow("replace: empty find") << Rule(replaceEmpty) << T("a␍b") << T("a␍b");
}

void TestCleanupRules::rules()
{
    QFETCH(Rule, rule);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(rule(input), expected);
}

void TestCleanupRules::largeTextsRunInLinearTime_data()
{
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<QString>("piece");
    QTest::newRow("brackets") << Rule(RemoveAngleBrackets) << T("<<>>");
    QTest::newRow("hyphens") << Rule(RemoveHyphenation) << T("-␊-↵");
    QTest::newRow("join") << Rule(JoinSingleLineBreaks) << T("¹␍↵ ");
    QTest::newRow("collapse") << Rule(CollapseDoubleLineBreaks) << T("␍␍␍␍");
}

// A million characters made only of what the rule rewrites: a quadratic step would take
// minutes, a linear one milliseconds. The pieces do not interact across their borders.
void TestCleanupRules::largeTextsRunInLinearTime()
{
    QFETCH(Rule, rule);
    QFETCH(QString, piece);
    const qsizetype count = 1'000'000 / piece.size();
    const QString text = piece.repeated(count);
    QElapsedTimer clock;
    clock.start();
    const QString result = rule(text);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QVERIFY(result == rule(piece).repeated(count));
}

void TestCleanupRules::documentTextRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("crlf");
    QTest::newRow("breaks of every kind") << T("a↵b␊c␍d") << T("a↵b↵c↵d");
    QTest::newRow("empty lines") << T("↵↵x↵") << T("↵↵x↵");
    QTest::newRow("no-break space and markers") << T("a\u00a0b¹²") << T("a\u00a0b¹²");
    QTest::newRow("empty") << QString() << QString();
}

// Text set into a document and read back has CR LF breaks and keeps every other character.
void TestCleanupRules::documentTextRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, crlf);
    QTextDocument document;
    document.setPlainText(CrLfToDocumentText(text));
    QCOMPARE(DocumentTextToCrLf(document.toRawText()), crlf);
    QCOMPARE(document.blockCount(), int(crlf.count(QStringLiteral("\r\n"))) + 1);
}

QTEST_MAIN(TestCleanupRules)
#include "tst_cleanuprules.moc"

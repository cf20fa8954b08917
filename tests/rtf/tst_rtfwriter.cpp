#include "RtfRuns.h"
#include "text/rtf/Rtf.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

namespace {

void PrepareDocument(QTextDocument& doc)
{
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
}

} // namespace

class TestRtfWriter : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void encoding_data();
    void encoding();
    void header();
    void onlyChangesWritten();
    void pixelSizedFont();
};

void TestRtfWriter::roundTrip_data()
{
    QTest::addColumn<QString>("html");

    QTest::newRow("empty") << "";
    QTest::newRow("plain bilingual") << "<p>Вемо читает вслух. Vemo reads aloud.</p>";
    QTest::newRow("paragraphs and empty ones") << "<p>один</p><p></p><p>two</p><p></p>";
    QTest::newRow("line break and tab") << "<p>первая<br/>second\tтретья</p>";
    QTest::newRow("bold italic underline strike")
        << "<p><b>жирный</b> <i>italic</i> <u>подчёркнутый</u> <s>struck</s> <b><i><u>all</u></i></b></p>";
    QTest::newRow("underline kinds")
        << "<p><span style='text-decoration: underline; text-decoration-style: "
           "wavy'>wave</span> <span style='text-decoration: underline dotted'>dot</span></p>";
    QTest::newRow("sizes and families")
        << "<p><span style='font-size:15pt'>пятнадцать</span> <span style='font-family:Liberation Serif; "
           "font-size:10pt'>ten</span> <span style='font-size:7.5pt'>half</span></p>";
    QTest::newRow("colours")
        << "<p><span style='color:#ff0000'>красный</span> <span style='background-color:#ffff00'>"
           "yellow</span> <span style='color:#123456; background-color:#abcdef'>both</span></p>";
    QTest::newRow("super and sub") << "<p>x<sup>2</sup> H<sub>2</sub>O</p>";
    QTest::newRow("alignment")
        << "<p align=center>центр</p><p align=right>right</p><p align=justify>ж</p><p>left</p>";
    QTest::newRow("outside 1251") << "<p>α ≈ 中文 語 € № ё Ё “quotes” — 😀 ♥</p>";
    QTest::newRow("specials") << "<p>{braces} back\\slash ; semi-colon 1-2 a?b</p>";
    QTest::newRow("font name outside 1251") << "<p><span style='font-family:Ωmega'>greek font</span></p>";
    QTest::newRow("no-break space and soft hyphen") << QString::fromUtf8("<p>a\u00A0b co\u00ADop</p>");
}

void TestRtfWriter::roundTrip()
{
    QFETCH(QString, html);
    QTextDocument original;
    PrepareDocument(original);
    original.setHtml(html);
    QTextDocument copy;
    ReadRtf(WriteRtf(original), copy);
    QCOMPARE(copy.toRawText(), original.toRawText());
    QCOMPARE(RtfRuns(copy), RtfRuns(original));
}

void TestRtfWriter::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("cyrillic as 1251") << "Привет" << QByteArray("\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2");
    QTest::newRow("euro in 1251") << "€" << QByteArray("\\'88");
    QTest::newRow("greek") << "α" << QByteArray("\\u945?");
    QTest::newRow("negative above 32767") << "語" << QByteArray("\\u-30050?");
    QTest::newRow("emoji as two") << "😀" << QByteArray("\\u-10179?\\u-8704?");
    QTest::newRow("escapes") << "{a}\\" << QByteArray("\\{a\\}\\\\");
    QTest::newRow("tab") << "a\tb" << QByteArray("a\\tab b");
    QTest::newRow("line separator") << "a\u2028b" << QByteArray("a\\line b");
    QTest::newRow("delimiter before digit") << "\t1" << QByteArray("\\tab 1");
    QTest::newRow("no delimiter before comma") << "\t," << QByteArray("\\tab,");
    QTest::newRow("picture place left out") << "a\uFFFCb" << QByteArray("ab");
    QTest::newRow("paragraphs") << "a\nb" << QByteArray("a\\par\r\nb\\par\r\n");
}

void TestRtfWriter::encoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QTextDocument doc;
    PrepareDocument(doc);
    doc.setPlainText(text);
    const QByteArray rtf = WriteRtf(doc);
    QVERIFY2(rtf.contains(expected), rtf.constData());
    for (const char c : rtf)
        QVERIFY(c > 0 && (c >= 0x20 || c == '\r' || c == '\n'));
}

void TestRtfWriter::header()
{
    QTextDocument doc;
    PrepareDocument(doc);
    doc.setHtml(QStringLiteral("<p>a<span style='font-family:Liberation Serif; color:#ff0000'>b</span></p>"));
    const QByteArray rtf = WriteRtf(doc);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0"));
    QVERIFY(rtf.contains(
        "{\\fonttbl{\\f0\\fnil\\fcharset204 DejaVu Sans;}{\\f1\\fnil\\fcharset204 Liberation Serif;}}"));
    QVERIFY(rtf.contains("{\\colortbl;\\red255\\green0\\blue0;}"));
    QVERIFY(rtf.trimmed().endsWith('}'));
}

// Formatting is written where it changes, not repeated for every run or character.
void TestRtfWriter::onlyChangesWritten()
{
    QTextDocument doc;
    PrepareDocument(doc);
    QTextCursor cursor(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat red = bold;
    red.setForeground(Qt::red);
    for (int i = 0; i < 100; ++i) {
        cursor.insertText(QStringLiteral("слово "), bold);
        cursor.insertText(QStringLiteral("word "), red);
    }
    const QByteArray rtf = WriteRtf(doc);
    const QString text = QString::fromLatin1(rtf);
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("\\\\b(?![a-z0-9])"))), 1);
    QCOMPARE(rtf.count("\\b0"), 0);
    QCOMPARE(rtf.count("\\cf1"), 100);
    QCOMPARE(rtf.count("\\cf0"), 99);
    QCOMPARE(rtf.count("\\fs"), 0); // 12 pt is what RTF assumes without \fs
}

void TestRtfWriter::pixelSizedFont()
{
    QTextDocument doc;
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(20);
    doc.setDefaultFont(tahoma);
    doc.setPlainText(QStringLiteral("x"));
    QTextDocument copy;
    ReadRtf(WriteRtf(doc), copy);
    QCOMPARE(RtfRuns(copy).value(1).section(u' ', 0, 1), QStringLiteral("Tahoma 15pt"));
}

QTEST_GUILESS_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"

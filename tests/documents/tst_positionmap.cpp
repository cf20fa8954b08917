#include "documents/PositionMap.h"

#include <QTest>

class TestPositionMap : public QObject
{
    Q_OBJECT

private slots:
    void programText_data();
    void programText();
    void roundTrip_data();
    void roundTrip();
    void lineFeedOfBreakMapsToBreak();
    void clampsOutOfRange();
    void longTextEnd();
    void appendedInPieces_data();
    void appendedInPieces();
};

void TestPositionMap::programText_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("program");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("no breaks") << "abc"
                               << "abc";
    QTest::newRow("paragraph separators") << u"a\u2029b\u2029"_qs << "a\r\nb\r\n";
    QTest::newRow("line separator") << u"a\u2028b"_qs << "a\r\nb";
    QTest::newRow("plain newline") << "a\nb"
                                   << "a\r\nb";
    QTest::newRow("breaks in a row") << u"\u2029\u2029x"_qs << "\r\n\r\nx";
}

void TestPositionMap::programText()
{
    QFETCH(QString, document);
    QFETCH(QString, program);
    const PositionMap map(document);
    QCOMPARE(map.ProgramText(), program);
    QCOMPARE(map.ProgramLength(), program.size());
    QCOMPARE(map.DocumentLength(), document.size());
}

// Every document position maps to the program position of the same character and back.
void TestPositionMap::roundTrip_data()
{
    QTest::addColumn<QString>("document");
    QTest::newRow("one break") << u"ab\u2029cd"_qs;
    QTest::newRow("break first and last") << u"\u2029x\u2029"_qs;
    QTest::newRow("many") << u"Привет\u2029world\u2029\u2029Как дела?\u2029end"_qs;
}

void TestPositionMap::roundTrip()
{
    QFETCH(QString, document);
    const PositionMap map(document);
    const QString program = map.ProgramText();
    for (int d = 0; d <= document.size(); ++d) {
        const int p = map.ToProgram(d);
        QCOMPARE(map.ToDocument(p), d);
        if (d < document.size() && !PositionMap::IsDocumentBreak(document.at(d)))
            QCOMPARE(program.at(p), document.at(d));
    }
}

void TestPositionMap::lineFeedOfBreakMapsToBreak()
{
    const PositionMap map(u"ab\u2029cd"_qs);
    QCOMPARE(map.ToDocument(2), 2); // CR
    QCOMPARE(map.ToDocument(3), 2); // LF
    QCOMPARE(map.ToDocument(4), 3); // c
    QCOMPARE(map.ToProgram(3), 4);
}

void TestPositionMap::clampsOutOfRange()
{
    const PositionMap map(u"a\u2029b"_qs);
    QCOMPARE(map.ToDocument(-5), 0);
    QCOMPARE(map.ToDocument(100), 3);
    QCOMPARE(map.ToProgram(-1), 0);
    QCOMPARE(map.ToProgram(100), 4);
}

void TestPositionMap::longTextEnd()
{
    QString document;
    for (int i = 0; i < 20000; ++i)
        document += QStringLiteral("line %1").arg(i) + QChar(0x2029);
    const PositionMap map(document);
    const int lastLine = static_cast<int>(document.lastIndexOf(QStringLiteral("line 19999")));
    QCOMPARE(map.ToProgram(lastLine), lastLine + 19999);
    QCOMPARE(map.ProgramText().mid(map.ToProgram(lastLine), 10), QStringLiteral("line 19999"));
}

void TestPositionMap::appendedInPieces_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<int>("piece");
    const QString document = u"ab\u2029\u2029c\u2028d\ne\r\nf\u2029"_qs;
    for (const int piece : {1, 2, 3, 5})
        QTest::addRow("pieces of %d", piece) << document << piece;
}

// A map begun anywhere and grown a piece at a time, with breaks (CR LF pairs among them) on
// every seam, converts and writes the text as the whole-text map does from its start on.
void TestPositionMap::appendedInPieces()
{
    QFETCH(QString, document);
    QFETCH(int, piece);
    const PositionMap whole(document);
    for (int start = 0; start <= document.size(); ++start) {
        PositionMap map(start, whole.ToProgram(start));
        QString program;
        for (int at = start; at < document.size(); at += piece)
            map.Append(QStringView(document).mid(at, piece), &program);
        QCOMPARE(program, whole.ProgramText().mid(whole.ToProgram(start)));
        QCOMPARE(map.ProgramEnd(), whole.ProgramLength());
        for (int p = map.ProgramStart(); p <= whole.ProgramLength(); ++p)
            QCOMPARE(map.ToDocument(p), whole.ToDocument(p));
        for (int d = start; d <= document.size(); ++d)
            QCOMPARE(map.ToProgram(d), whole.ToProgram(d));
        // Before its start a map knows nothing and clamps.
        QCOMPARE(map.ToDocument(map.ProgramStart() - 1), start);
    }
}

QTEST_APPLESS_MAIN(TestPositionMap)
#include "tst_positionmap.moc"

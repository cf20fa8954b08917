#include "documents/DocumentTextReader.h"
#include "documents/PositionMap.h"

#include <QTest>
#include <QTextCursor>
#include <QTextTable>
#include <memory>

// A document read a stretch at a time from any position must give the program text, the
// region's start and the conversions of the whole-text map, whatever falls on a seam.
class TestDocumentTextReader : public QObject
{
    Q_OBJECT

private slots:
    void readFromEveryPosition_data();
    void readFromEveryPosition();
    void stopsWhenTheDocumentChanges_data();
    void stopsWhenTheDocumentChanges();
};

namespace {

enum class Shape
{
    Plain,
    LineSeparators,
    Table
};

std::unique_ptr<QTextDocument> MakeDocument(Shape shape, const QString& text)
{
    auto document = std::make_unique<QTextDocument>();
    QTextCursor cursor(document.get());
    switch (shape) {
    case Shape::Plain:
        document->setPlainText(text);
        break;
    case Shape::LineSeparators:
        // Line separators stay inside their block, unlike the other breaks.
        cursor.insertText(QString(text).replace(u'|', QChar::LineSeparator));
        break;
    case Shape::Table:
        cursor.insertText(text);
        cursor.insertTable(2, 2);
        cursor.insertText(QStringLiteral("cell"));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QString(QChar::LineSeparator) + text);
        break;
    }
    return document;
}

} // namespace

void TestDocumentTextReader::readFromEveryPosition_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("stretch");
    const QList<QPair<const char*, QPair<Shape, QString>>> documents = {
        {"empty", {Shape::Plain, QString()}},
        {"lines", {Shape::Plain, QStringLiteral("ab\ncd\n\nef")}},
        {"CR LF and lone CR", {Shape::Plain, QStringLiteral("ab\r\ncd\rx\r\n")}},
        {"ends in a break", {Shape::Plain, QStringLiteral("Привет\n")}},
        {"line separators", {Shape::LineSeparators, QStringLiteral("a|b\n|\n|c||")}},
        {"table", {Shape::Table, QStringLiteral("x\ny")}},
    };
    for (const auto& [name, document] : documents)
        for (const qsizetype stretch : {1, 2, 3, 1000})
            QTest::addRow("%s, %lld at a time", name, static_cast<long long>(stretch))
                << int(document.first) << document.second << stretch;
}

void TestDocumentTextReader::readFromEveryPosition()
{
    QFETCH(int, shape);
    QFETCH(QString, text);
    QFETCH(qsizetype, stretch);
    const std::unique_ptr<QTextDocument> document = MakeDocument(Shape(shape), text);
    const PositionMap whole(document->toRawText());
    QCOMPARE(DocumentTextReader::TextLength(*document), whole.DocumentLength());
    for (int caret = 0; caret <= whole.DocumentLength(); ++caret) {
        const int base = DocumentTextReader::ProgramPosition(*document, caret);
        QCOMPARE(base, whole.ToProgram(caret));
        PositionMap map(caret, base);
        DocumentTextReader reader(*document, caret);
        QString program;
        int reads = 0;
        while (reader.Read(stretch, map, &program))
            ++reads;
        QVERIFY(reader.AtEnd());
        QCOMPARE(reader.Position(), whole.DocumentLength());
        QCOMPARE(program, whole.ProgramText().mid(base));
        QCOMPARE(map.ProgramEnd(), whole.ProgramLength());
        if (stretch == 1)
            QVERIFY(reads >= document->blockCount() - document->findBlock(caret).blockNumber() - 1);
        for (int p = base; p <= whole.ProgramLength(); ++p)
            QCOMPARE(map.ToDocument(p), whole.ToDocument(p));
        for (int d = caret; d <= whole.DocumentLength(); ++d) {
            QCOMPARE(map.ToProgram(d), whole.ToProgram(d));
            QCOMPARE(DocumentTextReader::BreaksBetween(*document, caret, d),
                     whole.ToProgram(d) - whole.ToProgram(caret) - (d - caret));
        }
    }
}

void TestDocumentTextReader::stopsWhenTheDocumentChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("typed after the stretch read") << "type";
    QTest::newRow("cleared") << "clear";
    QTest::newRow("deleted") << "delete";
}

// What is left of a changed document is no longer the text the reading began with: the
// reader ends instead of reading on from a stale block.
void TestDocumentTextReader::stopsWhenTheDocumentChanges()
{
    QFETCH(QString, change);
    auto document = std::make_unique<QTextDocument>();
    document->setPlainText(QStringLiteral("one\ntwo\nthree\nfour"));
    PositionMap map(0, 0);
    DocumentTextReader reader(*document, 0);
    QString program;
    QVERIFY(reader.Read(1, map, &program));
    QCOMPARE(program, QStringLiteral("one\r\n"));
    QVERIFY(!reader.DocumentChanged());
    if (change == u"type") {
        QTextCursor cursor(document.get());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("!"));
    } else if (change == u"clear") {
        document->clear();
    } else {
        document.reset();
    }
    QVERIFY(reader.DocumentChanged());
    QVERIFY(!reader.Read(1000, map, &program));
    QCOMPARE(program, QStringLiteral("one\r\n"));
    QCOMPARE(map.DocumentEnd(), 4);
}

QTEST_MAIN(TestDocumentTextReader)
#include "tst_documenttextreader.moc"

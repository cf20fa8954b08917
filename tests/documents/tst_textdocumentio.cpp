// Reading and writing documents by mode and encoding: byte-exact plain text, RTF in either
// mode, the corpus, and files that cannot be read or written.
#include "documents/TextDocumentIO.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "text/rtf/Rtf.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The corpus comparison: breaks as LF, no trailing breaks, list bullets taken off.
QString Normalized(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    static const QRegularExpression bullet(QStringLiteral("^\\s*•\\s"), QRegularExpression::MultilineOption);
    text.remove(bullet);
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const VemoError& e) {
        return e.Message();
    }
    return {};
}

} // namespace

class TestTextDocumentIO : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void plainRoundTrip_data();
    void plainRoundTrip();
    void cp1251FallsBackToUtf8();
    void richSaveInTxtFile();
    void corpusInRichMode_data();
    void corpusInRichMode();
    void failedLoadKeepsDocument_data();
    void failedLoadKeepsDocument();
    void failedSaveKeepsFile();
    void fullDiskKeepsFile();

private:
    QTemporaryDir m_dir;
};

void TestTextDocumentIO::plainRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("saved");
    const QByteArray cp1251("\xcf\xf0\xe8\xe2\xe5\xf2, world\r\n\xa0\xb9 2\r\n");
    QTest::newRow("windows-1251") << cp1251 << QStringLiteral("Привет, world\n\u00a0№ 2\n")
                                  << int(TextEncoding::Windows1251) << cp1251;
    const QByteArray utf8 = QStringLiteral("Ёж и hedgehog 😀\r\nвторая").toUtf8();
    QTest::newRow("utf-8") << utf8 << QStringLiteral("Ёж и hedgehog 😀\nвторая") << int(TextEncoding::Utf8)
                           << utf8;
    const QByteArray bom = "\xEF\xBB\xBF" + QStringLiteral("Ёж\r\n").toUtf8();
    QTest::newRow("utf-8 with mark") << bom << QStringLiteral("Ёж\n") << int(TextEncoding::Utf8) << bom;
    QTest::newRow("LF and CR become CR LF") << QByteArray("a\nb\rc\r\n") << QStringLiteral("a\nb\nc\n")
                                            << int(TextEncoding::Utf8) << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("empty") << QByteArray() << QString() << int(TextEncoding::Utf8) << QByteArray();
    const QByteArray koi8("\xf0\xd2\xc9\xd7\xc5\xd4, \xcd\xc9\xd2!\r\n");
    QTest::newRow("KOI8-R") << koi8 << QStringLiteral("Привет, мир!\n") << int(TextEncoding::Koi8R) << koi8;
    const QByteArray cp866("\x8f\xe0\xa8\xa2\xa5\xe2, \xac\xa8\xe0!\r\n");
    QTest::newRow("CP866") << cp866 << QStringLiteral("Привет, мир!\n") << int(TextEncoding::Cp866) << cp866;
    const QByteArray utf16("\xFF\xFE\x14\x04\x30\x04\r\0\n\0", 10);
    QTest::newRow("UTF-16LE") << utf16 << QStringLiteral("Да\n") << int(TextEncoding::Utf16LE) << utf16;
}

void TestTextDocumentIO::plainRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(QByteArray, saved);
    const QString path = m_dir.filePath(QStringLiteral("plain.txt"));
    WriteBytes(path, bytes);
    for (const bool plainMode : {true, false}) {
        QTextDocument doc;
        const DocumentEncoding found = LoadDocument(path, plainMode, doc);
        QCOMPARE(doc.toRawText().replace(QChar::ParagraphSeparator, u'\n'), text);
        QCOMPARE(int(found.encoding), encoding);
        const QString copy = m_dir.filePath(QStringLiteral("copy.txt"));
        QCOMPARE(SaveDocument(copy, true, doc, found), found);
        QCOMPARE(ReadBytes(copy), saved);
    }
}

void TestTextDocumentIO::cp1251FallsBackToUtf8()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("Вемо α"));
    const DocumentBytes out = DocumentToBytes(doc, true, {TextEncoding::Windows1251, false});
    QCOMPARE(int(out.encoding.encoding), int(TextEncoding::Utf8));
    QCOMPARE(out.bytes, QStringLiteral("Вемо α").toUtf8());
}

// A ".txt" saved in rich-text mode holds RTF: read back in rich mode it keeps its bold word,
// in plain mode it shows its source.
void TestTextDocumentIO::richSaveInTxtFile()
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("Вемо "));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("reads"), bold);
    const QString path = m_dir.filePath(QStringLiteral("rich.txt"));
    SaveDocument(path, false, doc, {});
    QVERIFY(IsRtf(ReadBytes(path)));
    QTextDocument rich;
    LoadDocument(path, false, rich);
    QCOMPARE(rich.toPlainText(), QStringLiteral("Вемо reads"));
    QCOMPARE(rich.findBlock(0).begin().fragment().charFormat().fontWeight(), int(QFont::Normal));
    QTextCursor at(&rich);
    at.setPosition(7);
    QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
    QTextDocument plain;
    LoadDocument(path, true, plain);
    QVERIFY(plain.toPlainText().startsWith(QStringLiteral("{\\rtf")));
}

void TestTextDocumentIO::corpusInRichMode_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("reference");
    const QDir dir(QStringLiteral(VEMO_TESTDATA_DIR "/rtf"));
    for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name)) {
        const QString base = dir.filePath(name.chopped(4));
        const QString cp1251 = base + QStringLiteral(".cp1251.txt");
        QTest::newRow(qPrintable(name))
            << dir.filePath(name) << (QFile::exists(cp1251) ? cp1251 : base + QStringLiteral(".txt"));
    }
}

// Loading into a document that already holds text gives exactly what the reader gives.
void TestTextDocumentIO::corpusInRichMode()
{
    QFETCH(QString, rtf);
    QFETCH(QString, reference);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("earlier text"));
    LoadDocument(rtf, false, doc);
    QCOMPARE(Normalized(doc.toRawText()), Normalized(QString::fromUtf8(ReadBytes(reference))));
    QTextDocument direct;
    ReadRtf(ReadBytes(rtf), direct);
    QCOMPARE(doc.toHtml(), direct.toHtml());
}

void TestTextDocumentIO::failedLoadKeepsDocument_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("plainMode");
    QTest::addColumn<QString>("kept");
    const QString missing = m_dir.filePath(QStringLiteral("none.txt"));
    QTest::newRow("missing") << missing << "Не удалось открыть файл" << true << "kept";
    QTest::newRow("folder") << m_dir.path() << "Не удалось открыть файл" << false << "kept";
    QTest::newRow("device") << QStringLiteral("/dev/zero") << "Не удалось открыть файл" << true << "kept";
    const QString longText = m_dir.filePath(QStringLiteral("long.txt"));
    WriteBytes(longText, QByteArray(30, 'x'));
    QTest::newRow("too long plain") << longText << "Failed to Load Stream" << true << "kept";
    const QString longRtf = m_dir.filePath(QStringLiteral("long.rtf"));
    WriteBytes(longRtf, "{\\rtf1 " + QByteArray(30, 'y') + "}");
    QTest::newRow("too long RTF") << longRtf << "Failed to Load Stream" << false << "kept";
    QTest::newRow("too long RTF, empty document") << longRtf << "Failed to Load Stream" << false << "";
}

void TestTextDocumentIO::failedLoadKeepsDocument()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    QFETCH(bool, plainMode);
    QFETCH(QString, kept);
    QTextDocument doc;
    doc.setPlainText(kept);
    const QString error = ErrorOf([&] { LoadDocument(path, plainMode, doc, 20); });
    QVERIFY2(error.startsWith(message) && error.contains(path), qPrintable(error));
    QCOMPARE(doc.toPlainText(), kept);
}

// Saving onto a folder fails with the folder's name and leaves the folder as it was.
void TestTextDocumentIO::failedSaveKeepsFile()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("new"));
    const QString folder = m_dir.filePath(QStringLiteral("a folder"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    const QString error = ErrorOf([&] { SaveDocument(folder, true, doc, {}); });
    QVERIFY2(error.contains(folder), qPrintable(error));
    QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());
}

// Under a file size limit, as on a full disk, the write fails and the earlier file stays whole.
void TestTextDocumentIO::fullDiskKeepsFile()
{
    const QString path = m_dir.filePath(QStringLiteral("old.txt"));
    WriteBytes(path, "old text");
    QTextDocument doc;
    doc.setPlainText(QString(200000, u'ж'));
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = ErrorOf([&] { SaveDocument(path, true, doc, {}); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY2(error.startsWith(QStringLiteral("Failed to Save Stream")) && error.contains(path),
             qPrintable(error));
    QCOMPARE(ReadBytes(path), QByteArray("old text"));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("old.txt*")}, QDir::Files), QStringList{"old.txt"});
}

QTEST_MAIN(TestTextDocumentIO)
#include "tst_textdocumentio.moc"

#include "files/TextFileCodec.h"
#include "files/VemoError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

const QString RtfData = QStringLiteral(VEMO_TESTDATA_DIR "/rtf/");

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestTextFileCodec : public QObject
{
    Q_OBJECT

private slots:
    void utf8ReferenceFiles();
    void windows1251File();
    void decodeBytes_data();
    void decodeBytes();
    void encode_data();
    void encode();
    void writeAndReadBack();
    void unencodableKeepsOldFile();
    void errorsNameTheFile();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void readingIsBounded();
};

void TestTextFileCodec::utf8ReferenceFiles()
{
    const QStringList names = QDir(RtfData).entryList({"*.txt"}, QDir::Files);
    QVERIFY(names.size() >= 10);
    for (const QString& name : names) {
        const DecodedText d = ReadTextFile(RtfData + name);
        QVERIFY2(d.encoding == TextEncoding::Utf8, qPrintable(name));
        QVERIFY(!d.hadBom);
        QCOMPARE(d.text, QString::fromUtf8(ReadBytes(RtfData + name)));
    }
}

// The corpus keeps its Windows-1251 sample as UTF-8 source text: the system's iconv program
// makes the real Windows-1251 bytes from it.
void TestTextFileCodec::windows1251File()
{
    const QString source = RtfData + "sources/plain1251.utf8.txt";
    QTemporaryDir dir;
    const QString cp1251 = dir.filePath("plain1251.txt");
    QProcess iconv;
    iconv.setStandardOutputFile(cp1251);
    iconv.start("iconv", {"-f", "UTF-8", "-t", "CP1251", source});
    QVERIFY(iconv.waitForFinished(10000));
    QCOMPARE(iconv.exitCode(), 0);
    QVERIFY(ReadBytes(cp1251).startsWith("\xCF\xF0\xEE\xF1\xF2\xEE\xE9")); // "Простой"

    const DecodedText d = ReadTextFile(cp1251);
    QCOMPARE(d.encoding, TextEncoding::Windows1251);
    QVERIFY(!d.hadBom);
    QCOMPARE(d.text, QString::fromUtf8(ReadBytes(source)));
    QVERIFY(d.text.contains(QStringLiteral("ё Ё № «» —")));
}

void TestTextFileCodec::decodeBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<bool>("bom");

    QTest::newRow("empty") << QByteArray() << "" << true << false;
    QTest::newRow("ascii") << QByteArray("Hi\r\n") << "Hi\r\n" << true << false;
    QTest::newRow("utf8 cyrillic") << QByteArray("\xD0\x94\xD0\xB0") << "Да" << true << false;
    QTest::newRow("utf8 with bom") << QByteArray("\xEF\xBB\xBF\xD0\x94") << "Д" << true << true;
    QTest::newRow("bom only") << QByteArray("\xEF\xBB\xBF") << "" << true << true;
    QTest::newRow("cp1251 word") << QByteArray("\xC4\xE0 yes") << "Да yes" << false << false;
    QTest::newRow("cp1251 yo and quotes") << QByteArray("\xB8\xA8\xAB\xBB\xB9") << "ёЁ«»№" << false << false;
    QTest::newRow("truncated utf8 is cp1251") << QByteArray("ab\xD0") << "abР" << false << false;
    QTest::newRow("overlong utf8 is cp1251") << QByteArray("\xC0\xAF") << "АЇ" << false << false;
    QTest::newRow("undefined cp1251 byte") << QByteArray("a\x98z\xFF") << "a\uFFFDzя" << false << false;
    QTest::newRow("bom then cp1251") << QByteArray("\xEF\xBB\xBF\xC4") << "п»їД" << false << false;
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3) << true << false;
}

void TestTextFileCodec::decodeBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, utf8);
    QFETCH(bool, bom);
    const DecodedText d = DecodeTextBytes(bytes);
    QCOMPARE(d.text, text);
    QCOMPARE(d.encoding, utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1251);
    QCOMPARE(d.hadBom, bom);
}

void TestTextFileCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cp1251");
    QTest::addColumn<bool>("encodable");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cp1251 letters") << "Да, ёЁ №" << true << true << QByteArray("\xC4\xE0, \xB8\xA8 \xB9");
    QTest::newRow("cp1251 empty") << "" << true << true << QByteArray();
    QTest::newRow("cp1251 euro") << "€" << true << true << QByteArray("\x88");
    QTest::newRow("cp1251 chinese") << "Да 中" << true << false << QByteArray();
    QTest::newRow("cp1251 emoji") << "\U0001F600" << true << false << QByteArray();
    QTest::newRow("cp1251 lone surrogate") << QString(QChar(0xD800)) << true << false << QByteArray();
    QTest::newRow("utf8 chinese") << "中" << false << true << QByteArray("\xE4\xB8\xAD");
}

void TestTextFileCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(bool, cp1251);
    QFETCH(bool, encodable);
    QFETCH(QByteArray, bytes);
    const auto out = EncodeText(text, cp1251 ? TextEncoding::Windows1251 : TextEncoding::Utf8);
    QCOMPARE(out.has_value(), encodable);
    if (encodable)
        QCOMPARE(*out, bytes);
}

void TestTextFileCodec::writeAndReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Текст файла.txt");
    const QString text = QStringLiteral("Привет, world!\r\nЁж № 5\r\n");

    WriteTextFile(path, text, TextEncoding::Windows1251);
    QCOMPARE(ReadBytes(path).size(), text.size());
    DecodedText d = ReadTextFile(path);
    QCOMPARE(d.text, text);
    QCOMPARE(d.encoding, TextEncoding::Windows1251);

    WriteTextFile(path, text, TextEncoding::Utf8, true);
    QVERIFY(ReadBytes(path).startsWith("\xEF\xBB\xBF"));
    d = ReadTextFile(path);
    QCOMPARE(d.text, text);
    QCOMPARE(d.encoding, TextEncoding::Utf8);
    QVERIFY(d.hadBom);
}

void TestTextFileCodec::unencodableKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    WriteBytes(path, "old text");
    try {
        WriteTextFile(path, QStringLiteral("中文"), TextEncoding::Windows1251);
        QFAIL("Windows-1251 cannot hold Chinese letters");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(path) && e.message().contains("Windows-1251"), qPrintable(e.message()));
    }
    QCOMPARE(ReadBytes(path), QByteArray("old text"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
}

void TestTextFileCodec::errorsNameTheFile()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("нет такого.txt");
    try {
        ReadTextFile(missing);
        QFAIL("a missing file must raise an error");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
    }
    const QString unwritable = dir.filePath("no folder/x.txt");
    try {
        WriteTextFile(unwritable, "x", TextEncoding::Utf8);
        QFAIL("a file in a missing folder cannot be written");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(unwritable), qPrintable(e.message()));
    }
}

void TestTextFileCodec::refusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("device") << QStringLiteral("/dev/zero");
    QTest::newRow("folder") << QDir::tempPath();
    QTest::newRow("fifo") << QString();
}

// A device never ends and a FIFO blocks: both are refused at once, with the file's name,
// instead of filling the memory or waiting for ever.
void TestTextFileCodec::refusesWhatIsNotAFile()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    if (path.isEmpty()) {
        path = dir.filePath("fifo.txt");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    QElapsedTimer clock;
    clock.start();
    const std::vector<std::function<void()>> readers = {[&] { ReadTextFile(path); },
                                                        [&] { ReadFileBytes(path); }};
    for (const auto& read : readers) {
        try {
            read();
            QFAIL("what is not a regular file must be refused");
        } catch (const VemoError& e) {
            QVERIFY2(e.message().contains(path) && e.message().contains("не обычный файл"),
                     qPrintable(e.message()));
        }
    }
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
}

// No reader takes more than MaxTextFileBytes; a file of that size exactly is read whole.
void TestTextFileCodec::readingIsBounded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.txt");
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(MaxTextFileBytes + 1)); // sparse: takes no room on the disk
    big.close();
    try {
        ReadFileBytes(path);
        QFAIL("a file over the bound must be refused");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(path) && e.message().contains("256"), qPrintable(e.message()));
    }
    QVERIFY(big.resize(MaxTextFileBytes));
    QCOMPARE(ReadFileBytes(path).size(), MaxTextFileBytes);
}

QTEST_GUILESS_MAIN(TestTextFileCodec)
#include "tst_textfilecodec.moc"

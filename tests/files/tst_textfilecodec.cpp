#include "files/MessageLanguage.h"
#include "files/SettingsFile.h"
#include "files/TextFileCodec.h"
#include "files/VemoError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/mount.h>
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

// The bytes of text in a code page, as the system's iconv program makes them.
QByteArray Iconv(const QString& text, const QString& codePage)
{
    QProcess iconv;
    iconv.start("iconv", {"-f", "UTF-8", "-t", codePage});
    iconv.waitForStarted(10000);
    iconv.write(text.toUtf8());
    iconv.closeWriteChannel();
    iconv.waitForFinished(10000);
    return iconv.exitCode() == 0 ? iconv.readAllStandardOutput() : QByteArray();
}

} // namespace

class TestTextFileCodec : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void utf8ReferenceFiles();
    void windows1251File();
    void decodeBytes_data();
    void decodeBytes();
    void encode_data();
    void encode();
    void writeAndReadBack();
    void cyrillicCodePages_data();
    void cyrillicCodePages();
    void unicodeWithMark_data();
    void unicodeWithMark();
    void mostlyUtf8_data();
    void mostlyUtf8();
    void unencodableKeepsOldFile();
    void errorsNameTheFile();
    void refusesWhatIsNotAFile_data();
    void refusesWhatIsNotAFile();
    void readingIsBounded();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
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
    QTest::newRow("utf-32 beyond unicode")
        << QByteArray("\xFF\xFE\0\0\0\0\0\x10\x41\0\0\0\x41", 13) << "\uFFFDA\uFFFD" << false << true;
    QTest::newRow("utf-16 lone surrogate")
        << QByteArray("\xFE\xFF\xD8\x00\x00\x41", 6) << "\uFFFDA" << false << true;
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
    if (!bom)
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
        QVERIFY2(e.Message().contains(path) && e.Message().contains("Windows-1251"), qPrintable(e.Message()));
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
        QVERIFY2(e.Message().contains(missing), qPrintable(e.Message()));
    }
    const QString unwritable = dir.filePath("no folder/x.txt");
    try {
        WriteTextFile(unwritable, "x", TextEncoding::Utf8);
        QFAIL("a file in a missing folder cannot be written");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(unwritable), qPrintable(e.Message()));
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
            QVERIFY2(e.Message().contains(path) && e.Message().contains("не обычный файл"),
                     qPrintable(e.Message()));
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
        QVERIFY2(e.Message().contains(path) && e.Message().contains("256"), qPrintable(e.Message()));
    }
    QVERIFY(big.resize(MaxTextFileBytes));
    QCOMPARE(ReadFileBytes(path).size(), MaxTextFileBytes);
}

void TestTextFileCodec::cyrillicCodePages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<int>("encoding");
    // Signs KOI8-R or CP866 lack (quotes, dashes, №) become blanks.
    QString book = QString::fromUtf8(ReadBytes(RtfData + "lo_bilingual_plain.txt"));
    for (QChar& c : book)
        if (c.unicode() >= 0x80 &&
            !(c.script() == QChar::Script_Cyrillic && c.isLetter() && c.unicode() < 0x460))
            c = u' ';
    QVERIFY(book.size() > 200);
    const QList<std::pair<const char*, QString>> texts = {
        {"pangram", "Съешь же ещё этих мягких французских булок, да выпей чаю."},
        {"greeting", "Привет, мир!"},
        {"one word", "Здравствуйте"},
        {"capitals", "ГЛАВА ПЕРВАЯ. В ЛЕСУ"},
        {"bilingual", "Hello, world! Это тест. This is a test of 42 things, не больше."},
        {"book", book}};
    const QList<std::tuple<const char*, const char*, TextEncoding>> pages = {
        {"Windows-1251", "CP1251", TextEncoding::Windows1251},
        {"KOI8-R", "KOI8-R", TextEncoding::Koi8R},
        {"CP866", "CP866", TextEncoding::Cp866}};
    for (const auto& [name, text] : texts)
        for (const auto& [page, iconvName, encoding] : pages)
            QTest::addRow("%s, %s", name, page) << text << iconvName << int(encoding);
}

// A Russian text in any of the three single-byte code pages is read in its own; saving
// writes the same bytes back.
void TestTextFileCodec::cyrillicCodePages()
{
    QFETCH(QString, text);
    QFETCH(QString, codePage);
    QFETCH(int, encoding);
    const QByteArray bytes = Iconv(text, codePage);
    QVERIFY(!bytes.isEmpty());
    const DecodedText d = DecodeTextBytes(bytes);
    QCOMPARE(EncodingName(d.encoding), EncodingName(TextEncoding(encoding)));
    QCOMPARE(d.text, text);
    QCOMPARE(EncodeText(d.text, d.encoding, d.hadBom).value_or(QByteArray()), bytes);
}

void TestTextFileCodec::unicodeWithMark_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-16LE") << "UTF-16LE" << int(TextEncoding::Utf16LE);
    QTest::newRow("UTF-16BE") << "UTF-16BE" << int(TextEncoding::Utf16BE);
    QTest::newRow("UTF-32LE") << "UTF-32LE" << int(TextEncoding::Utf32LE);
    QTest::newRow("UTF-32BE") << "UTF-32BE" << int(TextEncoding::Utf32BE);
}

// UTF-16 and UTF-32 with their byte order mark, read from a file and written back alike.
void TestTextFileCodec::unicodeWithMark()
{
    QFETCH(QString, codePage);
    QFETCH(int, encoding);
    // A text may itself begin with U+FEFF: only the first mark is the encoding's.
    const QString text = QStringLiteral("\uFEFFЁж и hedgehog \U0001F600\r\nвторая строка");
    const QByteArray bytes = Iconv(QChar(0xFEFF) + text, codePage);
    QVERIFY(bytes.size() > text.size() * 2);
    QTemporaryDir dir;
    const QString path = dir.filePath("unicode.txt");
    WriteBytes(path, bytes);
    const DecodedText d = ReadTextFile(path);
    QCOMPARE(EncodingName(d.encoding), EncodingName(TextEncoding(encoding)));
    QVERIFY(d.hadBom);
    QCOMPARE(d.text, text);
    WriteTextFile(path, d.text, d.encoding, d.hadBom);
    QCOMPARE(ReadBytes(path), bytes);
}

void TestTextFileCodec::mostlyUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("replaced"); // -1: not UTF-8
    const QByteArray book = ReadBytes(RtfData + "sources/plain1251.utf8.txt").repeated(3);
    QTest::newRow("one stray byte") << book.left(100) + "\xFF" + book.mid(100) << 1;
    QTest::newRow("cut sequence at the end") << book + book.left(book.indexOf("\xD0") + 1) << 1;
    QTest::newRow("three bad bytes") << "\x80" + book + "\xC0\xC1" << 3;
    QTest::newRow("own replacement marks are no fault") << "\xEF\xBF\xBD" + book + "\xFE" << 1;
    QByteArray cp1251 = Iconv(QString::fromUtf8(book), "CP1251");
    QTest::newRow("Windows-1251 with a UTF-8 letter") << cp1251 + "\xD0\x94" << -1;
    QTest::newRow("half and half") << Iconv("Привет, мир", "CP1251") + "\xD0\x94\xD0\xB0" << -1;
}

// A UTF-8 text with a few bad bytes stays UTF-8: they become U+FFFD and are counted; a text
// in a single-byte code page is not taken for one.
void TestTextFileCodec::mostlyUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, replaced);
    const DecodedText d = DecodeTextBytes(bytes);
    if (replaced < 0) {
        QCOMPARE(d.encoding, TextEncoding::Windows1251);
        QCOMPARE(d.replacedBytes, 0);
        return;
    }
    QCOMPARE(d.encoding, TextEncoding::Utf8);
    QCOMPARE(d.replacedBytes, replaced);
    QVERIFY(d.text.contains(QStringLiteral("Простой")));
    QVERIFY(d.text.count(QChar(0xFFFD)) >= replaced);
}

void TestTextFileCodec::fullDiskKeepsOldFile_data()
{
    using Save = std::function<void(const QString&)>;
    QTest::addColumn<Save>("save");
    QTest::newRow("document, UTF-8") << Save(
        [](const QString& path) { WriteTextFile(path, QStringLiteral("Новый текст"), TextEncoding::Utf8); });
    QTest::newRow("document, Windows-1251") << Save([](const QString& path) {
        WriteTextFile(path, QStringLiteral("Новый текст"), TextEncoding::Windows1251);
    });
    QTest::newRow("settings file") << Save([](const QString& path) {
        SettingsFile::Save(path, {QStringLiteral("Rate=3"), QStringLiteral("Volume=80")});
    });
    QTest::newRow("large document") << Save(
        [](const QString& path) { WriteTextFile(path, QString(100000, u'x'), TextEncoding::Utf8); });
}

// On a full disk a save fails with the file's name and the old file keeps every byte: a
// small tmpfs is filled up to the last block, then the file is saved again.
void TestTextFileCodec::fullDiskKeepsOldFile()
{
    QFETCH(std::function<void(const QString&)>, save);
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("mounting a small tmpfs is not permitted here");
    const auto unmount = qScopeGuard([&mountPoint] { umount2(mountPoint.constData(), MNT_DETACH); });
    const QString path = dir.filePath("saved.txt");
    WriteBytes(path, "the old text");
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'f');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    try {
        save(path);
        QFAIL("a save onto a full disk must fail");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(path), qPrintable(e.Message()));
    }
    QCOMPARE(ReadBytes(path), QByteArray("the old text"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "saved.txt"}));
}

QTEST_GUILESS_MAIN(TestTextFileCodec)
#include "tst_textfilecodec.moc"

#include "files/VemoError.h"
#include "main/JpegImage.h"
#include "main/PictureDictionary.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray JpegBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

QImage Filled(int w, int h, QColor color, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(color);
    return image;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestPictureDictionary : public QObject
{
    Q_OBJECT

private slots:
    void wordAt_data();
    void wordAt();
    void dictionaryFolder();
    void findPictureFile_data();
    void findPictureFile();
    void decodesColourAndGrey();
    void refusesBrokenData_data();
    void refusesBrokenData();
    void truncatedPictureDoesNotCrash();
    void pictureForMissingWord();
};

void TestPictureDictionary::wordAt_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("word");
    QTest::newRow("word after an opening bracket") << "I see (apple) now" << 7 << 5 << "(apple";
    QTest::newRow("first word takes the next character") << "Hello, world" << 0 << 5 << "Hello,";
    QTest::newRow("word after a blank stands alone") << "Hello, world" << 7 << 5 << "world";
    QTest::newRow("line break before the word") << "a\r\ncat\r\n" << 3 << 3 << "cat";
    QTest::newRow("word at the very end") << "see cat" << 4 << 3 << "cat";
    QTest::newRow("position beyond the text") << "abc" << 10 << 2 << "";
}

void TestPictureDictionary::wordAt()
{
    QFETCH(QString, fragment);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(QString, word);
    QCOMPARE(PictureDictionary::WordAt(fragment, position, length), word);
}

void TestPictureDictionary::dictionaryFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath() + u'/';
    QCOMPARE(PictureDictionary::DictionaryFolder(QStringLiteral("/texts/a.txt")), QStringLiteral("/texts/"));
    QCOMPARE(PictureDictionary::DictionaryFolder(QString()), programFolder);
    QCOMPARE(PictureDictionary::DictionaryFolder(QStringLiteral("a.txt")), programFolder);
}

void TestPictureDictionary::findPictureFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("found");
    QTest::newRow("same case") << "cat.jpg"
                               << "cat" << true;
    QTest::newRow("word in capitals") << "cat.jpg"
                                      << "CAT" << true;
    QTest::newRow("file in capitals") << "Apple.JPG"
                                      << "apple" << true;
    QTest::newRow("cyrillic case") << "кот.jpg"
                                   << "Кот" << true;
    QTest::newRow("punctuation kept") << "Hello.jpg"
                                      << "Hello," << false;
    QTest::newRow("other word") << "cat.jpg"
                                << "dog" << false;
    QTest::newRow("slash") << "../escape.jpg"
                           << "../escape" << false;
    QTest::newRow("slash inside") << "sub/x.jpg"
                                  << "sub/x" << false;
    QTest::newRow("backslash") << "a\\b.jpg"
                               << "a\\b" << false;
    QTest::newRow("two dots") << "a..b.jpg"
                              << "a..b" << false;
    QTest::newRow("empty word") << ".jpg"
                                << "" << false;
}

void TestPictureDictionary::findPictureFile()
{
    QFETCH(QString, fileName);
    QFETCH(QString, word);
    QFETCH(bool, found);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("texts/DicImg/sub")));
    const QString folder = root.path() + QStringLiteral("/texts/");
    WriteFile(folder + QStringLiteral("DicImg/") + fileName, JpegBytes(Filled(4, 4, Qt::red)));
    const QString file = PictureDictionary::FindPictureFile(folder, word);
    QCOMPARE(!file.isEmpty(), found);
    if (found)
        QVERIFY(QFile::exists(file));
}

void TestPictureDictionary::decodesColourAndGrey()
{
    const QImage colour = DecodeJpeg(JpegBytes(Filled(40, 30, QColor(200, 30, 40))), QStringLiteral("c.jpg"));
    QCOMPARE(colour.size(), QSize(40, 30));
    const QColor c = colour.pixelColor(20, 15);
    QVERIFY2(qAbs(c.red() - 200) < 8 && qAbs(c.green() - 30) < 8 && qAbs(c.blue() - 40) < 8,
             qPrintable(c.name()));
    const QImage grey = DecodeJpeg(JpegBytes(Filled(16, 8, QColor(90, 90, 90), QImage::Format_Grayscale8)),
                                   QStringLiteral("g.jpg"));
    QCOMPARE(grey.size(), QSize(16, 8));
    QVERIFY(qAbs(grey.pixelColor(3, 3).green() - 90) < 6);
}

void TestPictureDictionary::refusesBrokenData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is no picture at all");
    QTest::newRow("marker then garbage") << QByteArray("\xff\xd8\xff\xe0garbage garbage", 19);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    Filled(4, 4, Qt::blue).save(&buffer, "PNG");
    QTest::newRow("a png picture") << png;
}

void TestPictureDictionary::refusesBrokenData()
{
    QFETCH(QByteArray, data);
    try {
        DecodeJpeg(data, QStringLiteral("/pics/broken.jpg"));
        QFAIL("no error for a broken picture");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("/pics/broken.jpg")), qPrintable(e.Message()));
    }
}

void TestPictureDictionary::truncatedPictureDoesNotCrash()
{
    const QByteArray whole = JpegBytes(Filled(64, 64, Qt::green));
    for (qsizetype cut : {qsizetype(2), qsizetype(100), whole.size() / 2, whole.size() - 2}) {
        try {
            const QImage image = DecodeJpeg(whole.left(cut), QStringLiteral("t.jpg"));
            QCOMPARE(image.size(), QSize(64, 64));
        } catch (const VemoError&) {
        }
    }
}

void TestPictureDictionary::pictureForMissingWord()
{
    QTemporaryDir root;
    QVERIFY(!PictureDictionary::PictureFor(root.path() + QStringLiteral("/a.txt"), QStringLiteral("cat")));
}

QTEST_GUILESS_MAIN(TestPictureDictionary)
#include "tst_picturedictionary.moc"

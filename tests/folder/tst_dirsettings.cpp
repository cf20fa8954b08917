#include "files/VemoError.h"
#include "folder/DirSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool WriteFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestDirSettings : public QObject
{
    Q_OBJECT

private slots:
    void saveWritesSevenLines();
    void load_data();
    void load();
};

void TestDirSettings::saveWritesSevenLines()
{
    QTemporaryDir dir;
    DirSettings settings;
    settings.folderName = " /книги ";
    settings.makeVideos = true;
    settings.coverRule = -1;
    settings.allFormats = true;
    settings.Save(dir.filePath("opsDir.txt"));
    QFile file(dir.filePath("opsDir.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), "FormFileSelectDir.Editffmpeg.Text=/usr/bin\r\n"
                                                "FormFileSelectDir.EditCover.Text=Cover.jpg\r\n"
                                                "FormFileSelectDir.EditCmd.Text=" +
                                                    DirSettings::DefaultCommandTemplate() +
                                                    "\r\n"
                                                    "FormFileSelectDir.EditNameFileDir.Text= /книги \r\n"
                                                    "CheckBoxAvi.Checked=1\r\n"
                                                    "RGroupCover.ItemIndex=-1\r\n"
                                                    "CheckBoxBooks.Checked=1\r\n");
}

void TestDirSettings::load_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QStringList>("texts");  // converter, cover, template, folder
    QTest::addColumn<bool>("makeVideos");
    QTest::addColumn<int>("coverRule");
    QTest::addColumn<QString>("error");
    const QStringList defaults{"/usr/bin", "Cover.jpg", DirSettings::DefaultCommandTemplate(), ""};
    const QStringList empty{"", "", "", ""};
    QTest::newRow("no file") << QByteArray() << defaults << false << 0 << "";
    QTest::newRow("one line") << QByteArray("CheckBoxAvi.Checked=1\r\n") << empty << true << 0 << "";
    QTest::newRow("lower-case keys, LF")
        << QByteArray("formfileselectdir.editffmpeg.text=/x\nformfileselectdir.editcover.text=c.jpg\n"
                      "formfileselectdir.editcmd.text=%fsnd\nformfileselectdir.editnamefiledir.text=/b\n"
                      "checkboxavi.checked=0\nrgroupcover.itemindex=1\n")
        << QStringList{"/x", "c.jpg", "%fsnd", "/b"} << false << 1 << "";
    QTest::newRow("rule above range") << QByteArray("RGroupCover.ItemIndex=7") << empty << false << 2 << "";
    QTest::newRow("rule below range") << QByteArray("RGroupCover.ItemIndex=-5") << empty << false << -1 << "";
    QTest::newRow("first line wins, value keeps = and blanks")
        << QByteArray("FormFileSelectDir.EditCover.Text= a=b \r\nFormFileSelectDir.EditCover.Text=second\r\n")
        << QStringList{"", " a=b ", "", ""} << false << 0 << "";
    QTest::newRow("empty numbers keep defaults")
        << QByteArray("CheckBoxAvi.Checked=\r\nRGroupCover.ItemIndex=\r\n") << empty << false << 0 << "";
    QTest::newRow("bad video flag stops the load")
        << QByteArray("FormFileSelectDir.EditNameFileDir.Text=/"
                      "b\r\nCheckBoxAvi.Checked=abc\r\nRGroupCover.ItemIndex=2\r\n")
        << QStringList{"", "", "", "/b"} << false << 0 << "'abc' is not a valid integer value";
    QTest::newRow("books box checked")
        << QByteArray("CheckBoxBooks.Checked=1\r\n") << empty << false << 0 << "";
    QTest::newRow("bad books value stops the load")
        << QByteArray("CheckBoxAvi.Checked=1\r\nCheckBoxBooks.Checked=yes\r\n") << empty << true << 0
        << "'yes' is not a valid integer value";
    QTest::newRow("bad rule keeps the video flag")
        << QByteArray("CheckBoxAvi.Checked=5\r\nRGroupCover.ItemIndex=1x\r\n") << empty << true << 0
        << "'1x' is not a valid integer value";
}

void TestDirSettings::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, texts);
    QFETCH(bool, makeVideos);
    QFETCH(int, coverRule);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("opsDir.txt");
    if (!content.isNull())
        QVERIFY(WriteFile(path, content));
    DirSettings settings;
    QString message;
    try {
        settings.Load(path);
    } catch (const VemoError& e) {
        message = e.Message();
    }
    QCOMPARE(message.isEmpty(), error.isEmpty());
    QVERIFY2(error.isEmpty() || (message.startsWith(error) && message.contains(path)), qPrintable(message));
    QCOMPARE(QStringList(
                 {settings.converterFolder, settings.cover, settings.commandTemplate, settings.folderName}),
             texts);
    QCOMPARE(settings.makeVideos, makeVideos);
    QCOMPARE(settings.coverRule, coverRule);
    // Older files have six lines and no books box: the run keeps to "*.txt".
    QCOMPARE(settings.allFormats, content.contains("CheckBoxBooks.Checked=1"));
    QCOMPARE(settings.Formats().size(), settings.allFormats ? 6 : 1);
}

QTEST_GUILESS_MAIN(TestDirSettings)
#include "tst_dirsettings.moc"

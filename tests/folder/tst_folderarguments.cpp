#include "files/VemoError.h"
#include "folder/FolderArguments.h"
#include "folder/VideoTemplates.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class TestFolderArguments : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void formatsFromKeptSettings();
    void refuse_data();
    void refuse();
    void oneBook_data();
    void oneBook();

private:
    QTemporaryDir dir;
};

namespace {

// The settings that a row checks, as one line of text.
QString Summary(const FolderArguments& a)
{
    const FolderRunSettings& s = a.settings;
    return QStringLiteral(
               "format=%1 divide=%2/%3 mp3=%4 xml=%5 digits=%6 video=%7 ffmpeg=%8 cover=%9 rule=%10 "
               "template=%11 ru=%12 formats=%13")
        .arg(s.sound.StreamFormatType())
        .arg(s.sound.divide)
        .arg(s.sound.partCharLimit)
        .arg(s.sound.mp3)
        .arg(s.xml)
        .arg(s.digitLang)
        .arg(s.makeVideos)
        .arg(s.video.converterFolder, s.video.coverDefault)
        .arg(s.video.coverRule)
        .arg(s.video.commandTemplate, a.ru.name, s.formats.join(u','));
}

DirSettings Kept()
{
    DirSettings kept;
    kept.converterFolder = "/opt/conv";
    kept.cover = "Kept.jpg";
    kept.commandTemplate = "%fsnd %fvideo";
    kept.coverRule = 1;
    kept.makeVideos = true; // videos are run only when asked for on the command line
    return kept;
}

} // namespace

void TestFolderArguments::parse_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");

    const QString kept =
        " video=0 ffmpeg=/opt/conv cover=Kept.jpg rule=1 template=%fsnd %fvideo ru= formats=txt";
    QTest::newRow("defaults: the dialog's sound, the kept video settings")
        << QStringList{} << "format=34 divide=0/1000 mp3=0 xml=0 digits=R" + kept;
    QTest::newRow("divide and format") << QStringList{"--divide", " 250 ", "--format", "SAFT22kHz16BitMono"}
                                       << "format=22 divide=1/250 mp3=0 xml=0 digits=R" + kept;
    QTest::newRow("MP3 at 22050 Hz: 16-bit mono WAV at that rate")
        << QStringList{"--mp3", "--sample-rate", "22050", "--bitrate", "64"}
        << "format=22 divide=0/1000 mp3=1 xml=0 digits=R" + kept;
    QTest::newRow("jobs and skipping") << QStringList{"--jobs", "3", "--skip-existing"}
                                       << "format=34 divide=0/1000 mp3=0 xml=0 digits=R" + kept;
    QTest::newRow("video options, any order")
        << QStringList{"--template",    "-i %fsnd %fvideo", "--video",  "--cover-rule", "2", "--cover",
                       "-odd name.png", "--ffmpeg-dir",     "/usr/bin", "--voice-ru",   "ru"}
        << "format=34 divide=0/1000 mp3=0 xml=0 digits=R video=1 ffmpeg=/usr/bin cover=-odd name.png rule=2 "
           "template=-i %fsnd %fvideo ru=ru formats=txt";
    QTest::newRow("the MP4 template by name") << QStringList{"--video-template", "mp4"}
                                              << "format=34 divide=0/1000 mp3=0 xml=0 digits=R video=0 "
                                                 "ffmpeg=/opt/conv cover=Kept.jpg rule=1 template=" +
                                                     VideoTemplates::Mp4WithSubtitles() + " ru= formats=txt";
    QTest::newRow("formats: case and blanks, each once, in the order given")
        << QStringList{"--formats", "FB2, epub,txt,fb2"}
        << "format=34 divide=0/1000 mp3=0 xml=0 digits=R" + kept.chopped(3) + "fb2,epub,txt";
}

// The folder dialog's box for books, kept in opsDir.txt, gives every format unless the
// command line names them.
void TestFolderArguments::formatsFromKeptSettings()
{
    DirSettings kept = Kept();
    kept.allFormats = true;
    const QString folder = dir.path();
    QCOMPARE(ParseFolderArguments("vemo --convert-folder", {folder}, kept).settings.formats,
             (QStringList{"txt", "fb2", "epub", "docx", "odt", "html"}));
    QCOMPARE(
        ParseFolderArguments("vemo --convert-folder", {folder, "--formats", "odt"}, kept).settings.formats,
        QStringList{"odt"});
}

void TestFolderArguments::parse()
{
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    const FolderArguments arguments =
        ParseFolderArguments("vemo --convert-folder", QStringList{dir.path() + "/./"} + options, Kept());
    QCOMPARE(arguments.settings.folderName, dir.path());
    QCOMPARE(Summary(arguments), expected);
    QCOMPARE(arguments.settings.workers.jobs,
             options.contains("--jobs") ? 3 : qMax(1, QThread::idealThreadCount()));
    QCOMPARE(arguments.settings.skipExisting, options.contains("--skip-existing"));
    QCOMPARE(arguments.settings.workers.ru.name, arguments.ru.name);
}

// One book: its folder is the folder of the run, and only it is converted.
void TestFolderArguments::oneBook_data()
{
    QTest::addColumn<QString>("book");    // in dir
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("a text file") << "a.txt"
                                 << "";
    QTest::newRow("missing") << "none.txt"
                             << "none.txt» does not exist";
    QTest::newRow("a folder") << ""
                              << "does not exist";
}

void TestFolderArguments::oneBook()
{
    QFETCH(QString, book);
    QFETCH(QString, message);
    QFile text(dir.filePath("a.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    const QString path = dir.path() + "/./" + book;
    try {
        const FolderArguments arguments =
            ParseFolderArguments("vemo --convert-file", {path, "--mp3"}, DirSettings(), true);
        QVERIFY2(message.isEmpty(), "accepted");
        QCOMPARE(arguments.settings.folderName, dir.path());
        QCOMPARE(arguments.settings.books, QStringList{dir.filePath(book)});
        QVERIFY(arguments.settings.sound.mp3);
    } catch (const VemoError& e) {
        QVERIFY2(!message.isEmpty() && e.Message().contains(message.replace("DIR", dir.path())),
                 qPrintable(e.Message()));
    }
}

void TestFolderArguments::refuse_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("message");

    QTest::newRow("no folder") << QStringList{"--mp3"} << "give the folder";
    QTest::newRow("folder that does not exist")
        << QStringList{"/no/such/folder"} << "«/no/such/folder» does not exist";
    QTest::newRow("a file is no folder") << QStringList{"/etc/passwd"} << "does not exist";
    QTest::newRow("cover rule out of range")
        << QStringList{"DIR", "--cover-rule", "3"} << "--cover-rule wants 0, 1 or 2";
    QTest::newRow("video option without value") << QStringList{"DIR", "--cover"} << "--cover wants a value";
    QTest::newRow("sound option refused in this command's name")
        << QStringList{"DIR", "--mp3", "--format", "22"}
        << "--convert-folder: --format cannot be used with --mp3";
    QTest::newRow("non-numeric division") << QStringList{"DIR", "--divide", "many"} << "many";
    QTest::newRow("unknown option") << QStringList{"DIR", "--avi"} << "unknown option «--avi»";
    QTest::newRow("unknown template name") << QStringList{"DIR", "--video-template", "mkv"}
                                           << "--video-template wants default or mp4, not «mkv»";
    QTest::newRow("no jobs") << QStringList{"DIR", "--jobs", "0"} << "--jobs wants a number from 1 to 256";
    QTest::newRow("jobs not a number") << QStringList{"DIR", "--jobs", "all"} << "not «all»";
    QTest::newRow("unknown format") << QStringList{"DIR", "--formats", "txt,pdf"}
                                    << "--formats takes a list of txt, fb2, epub, docx, odt, html, not «pdf»";
    QTest::newRow("empty format list") << QStringList{"DIR", "--formats", ""} << "not «»";
}

void TestFolderArguments::refuse()
{
    QFETCH(QStringList, words);
    QFETCH(QString, message);
    words.replaceInStrings("DIR", dir.path());
    try {
        ParseFolderArguments("vemo --convert-folder", words, DirSettings());
        QFAIL("accepted");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().startsWith("vemo --convert-folder: "), qPrintable(e.Message()));
        QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
        QVERIFY2(!e.Message().contains("--to-file"), qPrintable(e.Message()));
    }
}

QTEST_GUILESS_MAIN(TestFolderArguments)
#include "tst_folderarguments.moc"

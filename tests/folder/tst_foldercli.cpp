#include "FolderTestFiles.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace FolderTestFiles;

namespace {

struct Finished
{
    int status = -1;
    QString errors;
};

QProcessEnvironment Environment(const QString& settingsDir, const QString& engine)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VEMO_SETTINGS_DIR", settingsDir);
    environment.insert("VEMO_SPEECH_ENGINE", engine);
    return environment;
}

Finished RunVemo(const QStringList& arguments, const QString& settingsDir, const QString& engine = "test")
{
    QProcess process;
    process.setProcessEnvironment(Environment(settingsDir, engine));
    process.setWorkingDirectory(settingsDir);
    process.start(VEMO_PROGRAM, arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// What ffprobe says about a file's streams and its duration.
QJsonObject Probe(const QString& file)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  {"-v", "error", "-show_entries",
                   "stream=codec_type,codec_name,width,height,channels:format=duration:format_tags", "-of",
                   "json", file});
    ffprobe.waitForFinished(30000);
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
}

double Duration(const QJsonObject& probe)
{
    return probe["format"].toObject()["duration"].toString().toDouble();
}

} // namespace

class TestFolderCli : public QObject
{
    Q_OBJECT

private slots:
    void bilingualFolderToMp3AndVideo();
    void booksBesideTexts();
    void outcomes_data();
    void outcomes();
    void watchRunsOnFlagUntilTerminated();

private:
    QTemporaryDir settings;
};

// espeak-ng speaking, libmp3lame encoding and ffmpeg making the videos, for real.
void TestFolderCli::bilingualFolderToMp3AndVideo()
{
    QTemporaryDir books;
    QVERIFY(Write(books.filePath("01 начало.txt"), "Привет! This is the first book. Это первая книга."));
    QVERIFY(Write(books.filePath("02 end.txt"), "The second one. Вторая книга, 2 страницы."));
    QImage cover(640, 480, QImage::Format_RGB32);
    cover.fill(Qt::darkBlue);
    QVERIFY(cover.save(books.filePath("Cover.jpg"), "JPG"));

    const Finished run = RunVemo({"--convert-folder", books.path(), "--mp3", "--sample-rate", "22050",
                                  "--video", "--ffmpeg-dir", "/usr/bin"},
                                 settings.path(), "espeak");

    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QVERIFY(run.errors.contains("[2/2]"));
    QCOMPARE(MadeFiles(books.path()),
             (QStringList{"01 начало.avi", "01 начало.mp3", "02 end.avi", "02 end.mp3", "Cover.jpg"}));
    QCOMPARE(SoundFilesWithoutSubtitles(books.path()), QStringList());
    for (const QString& stem : QStringList{"01 начало", "02 end"}) {
        const QJsonObject video = Probe(books.filePath(stem + ".avi"));
        const QJsonArray streams = video["streams"].toArray();
        QCOMPARE(streams.size(), 2);
        const QJsonObject picture =
            streams.at(0)["codec_type"] == "video" ? streams.at(0).toObject() : streams.at(1).toObject();
        QCOMPARE(picture["codec_name"].toString(), "msmpeg4v2");
        QCOMPARE(picture["width"].toInt(), 320);
        QCOMPARE(picture["height"].toInt(), 240);
        const QJsonObject mp3 = Probe(books.filePath(stem + ".mp3"));
        const QJsonObject tags = mp3["format"].toObject()["tags"].toObject();
        QCOMPARE(tags["title"].toString(), stem);
        QCOMPARE(tags["album"].toString(), QFileInfo(books.path()).fileName());
        QCOMPARE(tags["encoder"].toString(), "Vemo");
        QCOMPARE(mp3["streams"].toArray().at(0)["channels"].toInt(), 1); // mono, as the default asks
        const double sound = Duration(mp3);
        QVERIFY2(sound > 1.0 && qAbs(Duration(video) - sound) < 0.5,
                 qPrintable(QString("%1 s video, %2 s sound").arg(Duration(video)).arg(sound)));
    }
}

// --formats takes the books of the named formats beside the texts; each book's title tags its
// MP3; two files of one name keep apart (the text keeps the name, the other its extension).
void TestFolderCli::booksBesideTexts()
{
    QTemporaryDir books;
    QVERIFY(Write(books.filePath("a.txt"), "Привет hello"));
    QVERIFY(Write(books.filePath("tale.txt"), "Сказка tale"));
    for (const QString book : {"tale.epub", "other.fb2", "skipped.docx"})
        QVERIFY(QFile::copy(QStringLiteral(VEMO_BOOKS_DIR "/book.") + book.section('.', 1),
                            books.filePath(book)));

    const Finished run = RunVemo(
        {"--convert-folder", books.path(), "--formats", "txt,fb2,epub", "--mp3", "--quiet"}, settings.path());

    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.mp3", "other.fb2", "other.mp3", "skipped.docx",
                                                   "tale.epub", "tale.epub.mp3", "tale.mp3"}));
    const auto title = [&books](const QString& mp3) {
        return Probe(books.filePath(mp3))["format"].toObject()["tags"].toObject()["title"].toString();
    };
    QCOMPARE(title("a.mp3"), "a");
    QCOMPARE(title("tale.mp3"), "tale");
    QCOMPARE(title("other.mp3"), "Сказка о двух языках");
    QCOMPARE(title("tale.epub.mp3"), "Сказка о двух языках");
}

void TestFolderCli::outcomes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withText");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("lines"); // standard error, DIR standing for the folder

    QTest::newRow("WAV and batch, no video")
        << QStringList{} << true << 0 << QStringList{"[1/1] DIR/a.txt", "speaking DIR/a.wav"};
    QTest::newRow("no text file: nothing to do")
        << QStringList{} << false << 0 << QStringList{"No *.txt file in DIR: nothing to do."};
    QTest::newRow("converter folder missing: video not made")
        << QStringList{"--video", "--ffmpeg-dir", "/no/such/dir"} << true << 1
        << QStringList{"[1/1] DIR/a.txt", "speaking DIR/a.wav", "videos DIR/ToVideo.bat",
                       "The video batch has run.", "The video DIR/a.avi was not made."};
    QTest::newRow("quiet: errors only") << QStringList{"--video", "--ffmpeg-dir", "/no/such/dir", "--quiet"}
                                        << true << 1 << QStringList{"The video DIR/a.avi was not made."};
    QTest::newRow("quiet, nothing to do") << QStringList{"--quiet"} << false << 0 << QStringList{};
}

void TestFolderCli::outcomes()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withText);
    QFETCH(int, status);
    QFETCH(QStringList, lines);
    QTemporaryDir books;
    if (withText)
        QVERIFY(Write(books.filePath("a.txt"), "Привет hello"));

    const Finished run = RunVemo(QStringList{"--convert-folder", books.path()} + options, settings.path());

    QCOMPARE(run.status, status);
    QCOMPARE(run.errors.split('\n', Qt::SkipEmptyParts), lines.replaceInStrings("DIR", books.path()));
    if ((withText && status == 0) || options.contains("--video"))
        QCOMPARE(MadeFiles(books.path()), QStringList{"a.wav"});
}

void TestFolderCli::watchRunsOnFlagUntilTerminated()
{
    QTemporaryDir books;
    QVERIFY(Write(books.filePath("a.txt"), "Привет hello"));
    QProcess watch;
    watch.setProcessEnvironment(Environment(settings.path(), "test"));
    watch.start(VEMO_PROGRAM, {"--watch", books.path()});
    QVERIFY(watch.waitForStarted());
    QTest::qWait(500);
    QCOMPARE(MadeFiles(books.path()), QStringList{});

    QVERIFY(Write(books.filePath("Start.Flag"), ""));
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(books.filePath("Start.Flag")), 10000);
    QCOMPARE(MadeFiles(books.path()), QStringList{"a.wav"});
    QVERIFY(QFileInfo::exists(books.filePath("ToVideo.bat")));

    ::kill(pid_t(watch.processId()), SIGTERM);
    QVERIFY(watch.waitForFinished(5000));
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestFolderCli)
#include "tst_foldercli.moc"

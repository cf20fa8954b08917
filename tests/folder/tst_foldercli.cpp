#include "FolderTestFiles.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
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
    void badBookInTheMiddle();
    void resumeAfterKill();
    void sameFilesWhateverRunsThem_data();
    void sameFilesWhateverRunsThem();

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
        << QStringList{} << true << 0 << QStringList{"[1/1] DIR/a.txt"}; // the book is spoken by a worker
    QTest::newRow("no text file: nothing to do")
        << QStringList{} << false << 0 << QStringList{"No *.txt file in DIR: nothing to do."};
    QTest::newRow("converter folder missing: video not made")
        << QStringList{"--video", "--ffmpeg-dir", "/no/such/dir"} << true << 1
        << QStringList{"[1/1] DIR/a.txt", "videos DIR/ToVideo.bat", "The video batch has run.",
                       "The video DIR/a.avi was not made."};
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

// b's MP3 file cannot be made (a folder has its name): a and c are converted, and the
// command ends with status 1 and the list of the books that failed.
void TestFolderCli::badBookInTheMiddle()
{
    QTemporaryDir books;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        QVERIFY(Write(books.filePath(name), "Привет hello"));
    QVERIFY(QDir(books.path()).mkdir("b.mp3.part"));

    const Finished run = RunVemo({"--convert-folder", books.path(), "--mp3"}, settings.path());

    QCOMPARE(run.status, 1);
    QCOMPARE(MadeFiles(books.path()), (QStringList{"a.mp3", "b.wav", "c.mp3"}));
    const QString list = run.errors.section("These books failed:\n", 1);
    QVERIFY2(list.startsWith(books.filePath("b.txt") + ": ") && !list.contains("a.txt") &&
                 !list.contains("c.txt"),
             qPrintable(run.errors));
}

namespace {

// Four books of some 3000 words (about a second each on the test engine), each spoken into
// parts of about 2000 characters.
void WriteBooks(const QString& folder)
{
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += "Слово word ещё. ";
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
        QVERIFY(Write(folder + "/" + name, text));
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Killed while the third book is spoken, the run leaves no sound file under its final name
// that differs from a complete run's; run again with --skip-existing it passes over the two
// finished books and ends with the same files as a run never interrupted.
void TestFolderCli::resumeAfterKill()
{
    QTemporaryDir reference, books;
    WriteBooks(reference.path());
    WriteBooks(books.path());
    const QStringList options{"--divide", "2000"};
    QCOMPARE(RunVemo(QStringList{"--convert-folder", reference.path()} + options, settings.path()).status, 0);
    const QStringList complete = MadeFiles(reference.path());

    QProcess run;
    run.setProcessEnvironment(Environment(settings.path(), "test"));
    run.start(VEMO_PROGRAM, QStringList{"--convert-folder", books.path()} + options);
    QString progress;
    QTRY_VERIFY_WITH_TIMEOUT(
        (progress += QString::fromLocal8Bit(run.readAllStandardError())).contains("[3/4]"), 30000);
    QCOMPARE(run.state(), QProcess::Running);
    run.kill();
    QVERIFY(run.waitForFinished(5000));

    // The workers (one a core) went with it, each leaving at most its part file.
    QTest::qWait(200);
    const QStringList left = MadeFiles(books.path());
    QVERIFY2(left.filter(".part").size() <= QThread::idealThreadCount() && !left.contains("4 007.wav"),
             qPrintable(left.join(", ")));
    for (const QString& name : left) {
        if (!name.endsWith(".part"))
            QVERIFY2(Bytes(books.filePath(name)) == Bytes(reference.filePath(name)), qPrintable(name));
    }
    int finished = 0;
    for (const char* book : {"1", "2", "3", "4"}) {
        const QRegularExpression parts(QString("^%1 \\d+\\.wav$").arg(book));
        finished += left.filter(parts).size() == complete.filter(parts).size() ? 1 : 0;
    }
    QVERIFY2(finished >= 1 && finished <= 3, qPrintable(left.join(", ")));

    const Finished resumed =
        RunVemo(QStringList{"--convert-folder", books.path(), "--skip-existing"} + options, settings.path());

    QVERIFY2(resumed.status == 0, qPrintable(resumed.errors));
    QCOMPARE(MadeFiles(books.path()), complete);
    for (const QString& name : complete)
        QVERIFY2(Bytes(books.filePath(name)) == Bytes(reference.filePath(name)), qPrintable(name));
    const QString log = ReadText(books.filePath("vemo-run.log"));
    QCOMPARE(log.count(": skipped, "), finished);
    QVERIFY2(log.contains(QString("end: 4 of 4 books taken up, %1 skipped, 0 failed").arg(finished)),
             qPrintable(log));
}

namespace {

// Every file of folder but the run log, name to bytes.
QMap<QString, QByteArray> Contents(const QString& folder)
{
    QMap<QString, QByteArray> contents;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name != "vemo-run.log")
            contents.insert(name, Bytes(folder + "/" + name));
    }
    return contents;
}

// The batch's commands, each its two lines, in their order.
QStringList Commands(const QByteArray& batch)
{
    const QStringList lines = QString::fromUtf8(batch).split('\n', Qt::SkipEmptyParts);
    QStringList commands;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        commands.append(lines.at(i) + '\n' + lines.at(i + 1));
    return commands;
}

} // namespace

void TestFolderCli::sameFilesWhateverRunsThem_data()
{
    QTest::addColumn<QString>("command"); // for /bin/sh, DIR standing for the folder
    QTest::addColumn<bool>("sameOrder");  // of the batch's commands

    QTest::newRow("two jobs") << "\"$VEMO\" --convert-folder DIR --jobs 2 --mp3 --divide 300" << true;
    QTest::newRow("GNU parallel, one book a job")
        << "find DIR -name '*.txt' | parallel -j2 \"$VEMO\" --convert-file {} --mp3 --divide 300" << false;
}

// Converted with one job, with two, or one book at a time by GNU parallel, a folder gets the
// same sound files and subtitles, byte for byte, and the same video commands (in the same
// order, but from parallel, whose books end in any order).
void TestFolderCli::sameFilesWhateverRunsThem()
{
    QFETCH(QString, command);
    QFETCH(bool, sameOrder);
    QTemporaryDir books;
    const QByteArray text = QByteArray("Глава первая. The first chapter, 2 слова. ").repeated(20);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        QVERIFY(Write(books.filePath(name), text));
    const Finished one = RunVemo(
        {"--convert-folder", books.path(), "--jobs", "1", "--mp3", "--divide", "300"}, settings.path());
    QVERIFY2(one.status == 0, qPrintable(one.errors));
    const QMap<QString, QByteArray> expected = Contents(books.path());
    for (const QString& name : expected.keys()) {
        if (!name.endsWith(".txt"))
            QVERIFY(QFile::remove(books.filePath(name)));
    }

    QProcess shell;
    QProcessEnvironment environment = Environment(settings.path(), "test");
    environment.insert("VEMO", VEMO_PROGRAM);
    shell.setProcessEnvironment(environment);
    shell.start("/bin/sh", {"-c", QString(command).replace("DIR", "'" + books.path() + "'")});
    QVERIFY(shell.waitForFinished(60000));
    QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());

    QMap<QString, QByteArray> made = Contents(books.path());
    QCOMPARE(made.keys(), expected.keys());
    for (const QString& name : expected.keys()) {
        if (!name.startsWith("ToVideo."))
            QVERIFY2(made.value(name) == expected.value(name), qPrintable(name));
    }
    QStringList commands = Commands(made.value("ToVideo.bat"));
    QStringList expectedCommands = Commands(expected.value("ToVideo.bat"));
    QCOMPARE(expectedCommands.size(), 9);
    if (!sameOrder) {
        commands.sort();
        expectedCommands.sort();
    }
    QCOMPARE(commands, expectedCommands);
    QCOMPARE(Commands(made.value("ToVideo.temp")).size(), 9);
    QCOMPARE(ReadText(books.filePath("vemo-run.log")).count(": done in "), 6);
}

QTEST_GUILESS_MAIN(TestFolderCli)
#include "tst_foldercli.moc"

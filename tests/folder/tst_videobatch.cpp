#include "files/VemoError.h"
#include "folder/BatchRunner.h"
#include "folder/CoverChoice.h"
#include "folder/DirSettings.h"
#include "folder/ShellQuote.h"
#include "folder/VideoBatch.h"
#include "folder/VideoTemplates.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

VideoOptions Options(const QString& commandTemplate, int coverRule, const QString& cover = "Cover.jpg")
{
    return VideoOptions{"/usr/bin/", cover, commandTemplate, coverRule};
}

// A converter folder holding an executable "ffmpeg" that appends each of its arguments,
// followed by a separator line, to the file argsFile.
QString MakeFakeConverter(const QString& folder, const QString& argsFile)
{
    const QString script = folder + "/ffmpeg";
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n--ARG-END--\\n' \"$a\" >> '" + argsFile.toUtf8() +
               "'; done\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return script;
}

QStringList RecordedArguments(const QString& argsFile)
{
    QStringList arguments = ReadText(argsFile).split("\n--ARG-END--\n");
    arguments.removeLast();
    return arguments;
}

} // namespace

class TestVideoBatch : public QObject
{
    Q_OBJECT

private slots:
    void defaultTemplateLines();
    void fillTemplate_data();
    void fillTemplate();
    void coverRules_data();
    void coverRules();
    void tempAndBatchFiles();
    void writeFailureNamesFile();
    void hostileNamesReachConverterIntact_data();
    void hostileNamesReachConverterIntact();
    void realConverterMakesVideo();
    void videoExtension_data();
    void videoExtension();
    void realConverterMakesMp4WithSubtitles();
};

void TestVideoBatch::defaultTemplateLines()
{
    QTemporaryDir dir;
    VideoBatch batch(dir.path(), Options(DirSettings::DefaultCommandTemplate(), CoverForAll));
    batch.AddVideoCommand("/books/Tale.txt", "/books/Tale.mp3", "/books/Tale.avi");
    QCOMPARE(
        batch.BatchLines(),
        QStringList(
            {"cd '/books/'",
             "'/usr/bin/ffmpeg' -i  '/books/Tale.mp3' -f image2  -loop 1  -i 'Cover.jpg'  -shortest  -y  "
             "-r 30 -q 30 -s 320x240 -vcodec msmpeg4v2 '/books/Tale.avi'"}));
    QCOMPARE(DirSettings::DefaultCommandTemplate().size(), 103);
}

void TestVideoBatch::fillTemplate_data()
{
    QTest::addColumn<QString>("commandTemplate");
    QTest::addColumn<bool>("withCover");
    QTest::addColumn<QString>("expected");
    QTest::newRow("sound twice") << "%fsnd x %fsnd" << true << "S x S";
    QTest::newRow("no placeholder") << "-version" << true << "-version";
    QTest::newRow("no cover placeholder") << "-i %fsnd %fvideo" << true << "-i S V";
    QTest::newRow("unknown cover rule keeps %fjpg") << "%fsnd %fjpg %fvideo" << false << "S %fjpg V";
    QTest::newRow("case-sensitive") << "%FSND %fSnd %fsnd" << true << "%FSND %fSnd S";
    QTest::newRow("subtitles") << "-i %fsrt %fsnd%fsrt" << false << "-i T ST";
}

void TestVideoBatch::fillTemplate()
{
    QFETCH(QString, commandTemplate);
    QFETCH(bool, withCover);
    QFETCH(QString, expected);
    const std::optional<QString> cover = withCover ? std::optional<QString>("C") : std::nullopt;
    QCOMPARE(VideoBatch::FillVideoTemplate(commandTemplate, "S", cover, "V", "T"), expected);
    const QString tricky = VideoBatch::FillVideoTemplate("%fsnd %fjpg %fsrt %fvideo", "a%fjpgb%fvideo",
                                                         "%fsnd", "%fjpg", "%fsnd");
    QCOMPARE(tricky, QString("a%fjpgb%fvideo %fsnd %fsnd %fjpg"));
    // Without subtitles the placeholder stays, as the cover's does without a cover.
    QCOMPARE(VideoBatch::FillVideoTemplate("%fsnd %fsrt", "S", cover, "V"), QString("S %fsrt"));
}

void TestVideoBatch::coverRules_data()
{
    QTest::addColumn<QString>("textName");
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("expectedPicture"); // empty: the cover default
    QTest::newRow("prefix found") << "ИС140705.txt" << QStringList{"ИС.jpg"} << 1 << "ИС.jpg";
    QTest::newRow("prefix missing") << "ИС140705.txt" << QStringList{"ИЗ.jpg"} << 1 << "";
    QTest::newRow("same name png over jpg")
        << "Tale.txt" << QStringList{"Tale.jpg", "Tale.png"} << 2 << "Tale.png";
    QTest::newRow("same name gif wins")
        << "Tale.txt" << QStringList{"Tale.gif", "Tale.jpeg", "Tale.jpg"} << 2 << "Tale.gif";
    QTest::newRow("same name, dots inside") << "a.b.txt" << QStringList{"a.b.jpg", "a.jpg"} << 2 << "a.b.jpg";
    QTest::newRow("same name none") << "Tale.txt" << QStringList{"Other.jpg"} << 2 << "";
}

void TestVideoBatch::coverRules()
{
    QFETCH(QString, textName);
    QFETCH(QStringList, pictures);
    QFETCH(int, rule);
    QFETCH(QString, expectedPicture);
    QTemporaryDir dir;
    for (const QString& picture : pictures)
        Touch(dir.filePath(picture));
    const QString expected =
        expectedPicture.isEmpty() ? QString("Cover One.jpg") : dir.filePath(expectedPicture);
    VideoBatch batch(dir.path(), Options("-i %fjpg", rule, "Cover One.jpg"));
    batch.AddVideoCommand(dir.filePath(textName), dir.filePath("x.wav"), dir.filePath("x.avi"));
    QCOMPARE(batch.BatchLines().at(1), "'/usr/bin/ffmpeg' -i " + ShellQuote(expected));
}

void TestVideoBatch::tempAndBatchFiles()
{
    QTemporaryDir dir;
    Touch(dir.filePath("ToVideo.bat"));
    VideoBatch batch(dir.path(), Options("%fsnd %fjpg", CoverForAll, "-dash.jpg"));
    batch.WriteVideoBatch();
    QCOMPARE(ReadText(dir.filePath("ToVideo.bat")), QString()); // an empty run keeps the older file
    batch.AddVideoCommand("/a/one.txt", "/a/one.wav", "/a/one.avi");
    const QString first = "cd '/a/'\n'/usr/bin/ffmpeg' '/a/one.wav' './-dash.jpg'\n";
    QCOMPARE(ReadText(dir.filePath("ToVideo.temp")), first);
    batch.AddVideoCommand("/b/two.txt", "/b/two.wav", "/b/two.avi");
    batch.WriteVideoBatch();
    const QString both = first + "cd '/b/'\n'/usr/bin/ffmpeg' '/b/two.wav' './-dash.jpg'\n";
    QCOMPARE(ReadText(dir.filePath("ToVideo.temp")), both);
    QCOMPARE(ReadText(dir.filePath("ToVideo.bat")), both);
}

void TestVideoBatch::writeFailureNamesFile()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no such folder");
    VideoBatch batch(missing, Options("%fsnd", CoverForAll));
    try {
        batch.AddVideoCommand("/a/one.txt", "/a/one.wav", "/a/one.avi");
        QFAIL("writing into a missing folder succeeded");
    } catch (const VemoError& error) {
        QVERIFY2(error.Message().contains(missing + "/ToVideo.temp"), qPrintable(error.Message()));
    }
}

void TestVideoBatch::hostileNamesReachConverterIntact_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("single quote") << "it's";
    QTest::newRow("command substitution") << "$(touch PWNED)";
    QTest::newRow("backquotes") << "`touch PWNED`";
    QTest::newRow("semicolon") << "a; touch PWNED; b";
    QTest::newRow("newline") << "line\ntouch PWNED";
    QTest::newRow("leading dash") << "-y";
    QTest::newRow("cyrillic") << "Сказка о рыбаке";
    QTest::newRow("placeholders in name") << "%fjpg'; touch PWNED; '%fvideo";
    QTest::newRow("mixed") << "'\"$HOME`id`;\\ \n-";
}

void TestVideoBatch::hostileNamesReachConverterIntact()
{
    QFETCH(QString, base);
    QTemporaryDir root;
    const QString tools = root.filePath("tools");
    const QString books = root.filePath(base); // the folder itself has the hostile name too
    QVERIFY(QDir().mkpath(tools) && QDir().mkpath(books));
    const QString argsFile = root.filePath("args");
    QVERIFY(!MakeFakeConverter(tools, argsFile).isEmpty());
    const QString textFile = books + "/" + base + ".txt";
    for (const QString& name : {textFile, books + "/" + base + ".png", books + "/" + base + ".wav"})
        Touch(name);

    VideoBatch batch(
        books, VideoOptions{tools, "-" + base + ".jpg", "-i %fsnd %fjpg %fsrt %fvideo", CoverBySameName});
    batch.AddVideoCommand(textFile, books + "/" + base + ".wav", books + "/" + base + ".avi");
    batch.WriteVideoBatch();
    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start("/bin/sh", {batch.BatchFilePath()});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.exitCode(), 0);
    QCOMPARE(RecordedArguments(argsFile),
             QStringList({"-i", books + "/" + base + ".wav", books + "/" + base + ".png",
                          books + "/" + base + ".srt", books + "/" + base + ".avi"}));
    QVERIFY(!QFile::exists(root.filePath("PWNED")));
    QVERIFY(!QFile::exists(books + "/PWNED"));
}

void TestVideoBatch::realConverterMakesVideo()
{
    QTemporaryDir dir;
    const QString sound = dir.filePath("Сказка 000.wav");
    QProcess sox;
    sox.start("sox", {"-n", "-r", "22050", "-c", "1", sound, "synth", "1", "sine", "440"});
    QVERIFY(sox.waitForFinished(10000) && sox.exitCode() == 0);
    QImage cover(64, 48, QImage::Format_RGB32);
    cover.fill(Qt::darkCyan);
    QVERIFY(cover.save(dir.filePath("Cover.jpg"), "JPEG"));

    VideoBatch batch(dir.path(), Options(DirSettings::DefaultCommandTemplate(), CoverForAll));
    batch.AddVideoCommand(dir.filePath("Сказка.txt"), sound, dir.filePath("Сказка 000.avi"));
    batch.WriteVideoBatch();
    QVERIFY(RunBatchAndWait(batch.BatchFilePath(), 60, nullptr, nullptr));

    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height",
                            "-of", "csv=p=0", dir.filePath("Сказка 000.avi")});
    QVERIFY(probe.waitForFinished(10000));
    const QString streams = QString::fromUtf8(probe.readAllStandardOutput());
    QVERIFY2(streams.contains("msmpeg4v2,video,320,240"), qPrintable(streams));
    QVERIFY2(streams.contains(",audio"), qPrintable(streams));
}

void TestVideoBatch::videoExtension_data()
{
    QTest::addColumn<QString>("commandTemplate");
    QTest::addColumn<QString>("extension");
    QTest::newRow("default") << DirSettings::DefaultCommandTemplate() << ".avi";
    QTest::newRow("MP4 with subtitles") << VideoTemplates::Mp4WithSubtitles() << ".mp4";
    QTest::newRow("the user's own MP4") << "-i %fsnd -f   mp4 %fvideo"
                                        << ".mp4";
    QTest::newRow("mp4 only in a name") << "-i %fsnd -f avi cover-f-mp4.jpg %fvideo"
                                        << ".avi";
    QTest::newRow("another format") << "-i %fsnd -f mp4x %fvideo"
                                    << ".avi";
}

void TestVideoBatch::videoExtension()
{
    QFETCH(QString, commandTemplate);
    QFETCH(QString, extension);
    QCOMPARE(VideoTemplates::VideoExtension(commandTemplate), extension);
    QCOMPARE(VideoBatch(".", Options(commandTemplate, CoverForAll)).VideoExtension(), extension);
}

// The MP4 template run by the batch on a short sound, its SRT and a cover of odd size: an MP4
// with H.264 at 1280×720, AAC sound and the subtitles as their own stream, as long as the sound.
void TestVideoBatch::realConverterMakesMp4WithSubtitles()
{
    QTemporaryDir dir;
    const QString sound = dir.filePath("Сказка 000.wav");
    QProcess sox;
    sox.start("sox", {"-n", "-r", "22050", "-c", "1", sound, "synth", "2", "sine", "440"});
    QVERIFY(sox.waitForFinished(10000) && sox.exitCode() == 0);
    QFile srt(dir.filePath("Сказка 000.srt"));
    QVERIFY(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,000 --> 00:00:01,500\nЖила-была сказка.\n\n");
    srt.close();
    QImage cover(333, 251, QImage::Format_RGB32);
    cover.fill(Qt::darkCyan);
    QVERIFY(cover.save(dir.filePath("Cover.jpg"), "JPEG"));

    VideoBatch batch(dir.path(), Options(VideoTemplates::Mp4WithSubtitles(), CoverForAll));
    const QString video = dir.filePath("Сказка 000" + batch.VideoExtension());
    batch.AddVideoCommand(dir.filePath("Сказка.txt"), sound, video);
    batch.WriteVideoBatch();
    QVERIFY(RunBatchAndWait(batch.BatchFilePath(), 120, nullptr, nullptr));

    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries",
                            "format=format_name,duration:stream=codec_type,codec_name,width,height", "-of",
                            "csv=p=0", video});
    QVERIFY(probe.waitForFinished(10000));
    const QString streams = QString::fromUtf8(probe.readAllStandardOutput());
    QVERIFY2(streams.contains("h264,video,1280,720"), qPrintable(streams));
    QVERIFY2(streams.contains("aac,audio"), qPrintable(streams));
    QVERIFY2(streams.contains("mov_text,subtitle"), qPrintable(streams));
    const QString format = streams.trimmed().split('\n').last();
    QVERIFY2(format.contains("mp4"), qPrintable(streams));
    const double seconds = format.section(',', -1).toDouble();
    QVERIFY2(seconds > 1.9 && seconds < 2.6, qPrintable(streams));
}

QTEST_GUILESS_MAIN(TestVideoBatch)
#include "tst_videobatch.moc"

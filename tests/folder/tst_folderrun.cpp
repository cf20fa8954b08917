#include "FolderRunTestHost.h"
#include "FolderTestFiles.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "folder/FolderRun.h"
#include "folder/RunLog.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace FolderTestFiles;

namespace {

using TextFiles = QList<QPair<QString, QString>>; // name, content

FolderRunSettings Settings(const QString& folder)
{
    FolderRunSettings settings;
    settings.folderName = folder;
    settings.video.converterFolder = "/usr/bin";
    settings.video.coverDefault = "Cover.jpg";
    settings.video.commandTemplate = "-i %fsnd %fvideo";
    return settings;
}

void WithMp3(FolderRunSettings& settings)
{
    settings.sound.mp3 = true;
}

bool WriteTexts(const QString& folder, const TextFiles& texts)
{
    for (const auto& [name, content] : texts) {
        if (!Write(folder + "/" + name, content.toUtf8()))
            return false;
    }
    return true;
}

QStringList Names(const QStringList& paths)
{
    QStringList names;
    for (const QString& path : paths)
        names.append(QFileInfo(path).fileName());
    return names;
}

} // namespace

class TestFolderRun : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void ownFilesAreNoBooks_data();
    void ownFilesAreNoBooks();
    void namesNotInUtf8AreReported_data();
    void namesNotInUtf8AreReported();
    void soundFilesAndBatch_data();
    void soundFilesAndBatch();
    void errorEndsRun_data();
    void errorEndsRun();
    void badBookIsPassedOver_data();
    void badBookIsPassedOver();
    void failedVideoIsLoggedWithConverterOutput();
    void skipExisting_data();
    void skipExisting();
    void nothingToConvert_data();
    void nothingToConvert();
    void hostileNamesRunNothing();
};

void TestFolderRun::soundFilesAndBatch_data()
{
    QTest::addColumn<TextFiles>("texts");
    QTest::addColumn<QString>("limit"); // empty: not divided
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<bool>("xml");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("videos");

    const TextFiles three{{"a.txt", "Привет hello мир"}};
    QTest::newRow("one Russian sentence") << TextFiles{{"a.txt", "Мама мыла раму."}} << "" << false << false
                                          << QStringList{"a.wav"} << QStringList{"a.avi"};
    QTest::newRow("limit 0: a part per fragment")
        << three << "0" << false << false << QStringList{"a 000.wav", "a 001.wav", "a 002.wav"}
        << QStringList{"a 000.avi", "a 001.avi", "a 002.avi"};
    QTest::newRow("a part ends inside the text")
        << three << "10" << false << false << QStringList{"a 000.wav", "a 001.wav"}
        << QStringList{"a 000.avi", "a 001.avi"};
    QTest::newRow("boundary after the last fragment: no empty part")
        << three << "14" << false << false << QStringList{"a 000.wav"} << QStringList{"a 000.avi"};
    QTest::newRow("divided MP3: only MP3 files stay")
        << three << "0" << true << false << QStringList{"a 000.mp3", "a 001.mp3", "a 002.mp3"}
        << QStringList{"a 000.avi", "a 001.avi", "a 002.avi"};
    QTest::newRow("undivided MP3") << three << "" << true << false << QStringList{"a.mp3"}
                                   << QStringList{"a.avi"};
    QTest::newRow("empty text file") << TextFiles{{"a.txt", ""}} << "" << false << false
                                     << QStringList{"a.wav"} << QStringList{"a.avi"};
    QTest::newRow("markup: one fragment, one part")
        << three << "0" << false << true << QStringList{"a 000.wav"} << QStringList{"a 000.avi"};
    QTest::newRow("natural name order, dots in names")
        << TextFiles{{"a10.txt", "ten"}, {"a2.txt", "two"}, {"v1.2.txt", "один"}} << "" << false << false
        << QStringList{"a10.wav", "a2.wav", "v1.2.wav"} << QStringList{"a2.avi", "a10.avi", "v1.2.avi"};
}

void TestFolderRun::soundFilesAndBatch()
{
    QFETCH(TextFiles, texts);
    QFETCH(QString, limit);
    QFETCH(bool, mp3);
    QFETCH(bool, xml);
    QFETCH(QStringList, made);
    QFETCH(QStringList, videos);
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), texts));
    FolderRunSettings settings = Settings(dir.path());
    settings.sound.divide = !limit.isEmpty();
    settings.sound.partCharLimit = limit.isEmpty() ? "1000" : limit;
    settings.xml = xml;
    if (mp3)
        WithMp3(settings);
    FolderRunTestHost host;

    const FolderRunResult result = FolderRun(host, host, settings).Run();

    QCOMPARE(MadeFiles(dir.path()), made);
    QCOMPARE(Names(result.videoFiles), videos);
    QCOMPARE(result.textFiles, texts.size());
    QVERIFY(!result.stopped);
    const QStringList lines = ReadText(dir.filePath("ToVideo.bat")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2 * videos.size());
    for (qsizetype i = 0; i < videos.size(); ++i) {
        QCOMPARE(lines.at(2 * i), "cd '" + dir.path() + "/'");
        QVERIFY2(lines.at(2 * i + 1).endsWith(videos.at(i) + "'"), qPrintable(lines.at(2 * i + 1)));
    }
    QCOMPARE(ReadText(dir.filePath("ToVideo.temp")), ReadText(dir.filePath("ToVideo.bat")));
    QVERIFY(host.beeps.isEmpty());
    QVERIFY(!host.stream.IsOpen());
    QCOMPARE(host.ru->AudioOutputStream(), nullptr);
    QCOMPARE(host.eng->AudioOutputStream(), nullptr);
}

void TestFolderRun::ownFilesAreNoBooks_data()
{
    QTest::addColumn<QString>("folder"); // as the user names it, from the text folder
    QTest::newRow("dot") << ".";
    QTest::newRow("full name") << "";
    QTest::newRow("through a link") << "link";
}

// Run from the text folder, the fragment dump, the error log and the settings files the
// program writes there are never taken as books, however the folder is named; a book of the
// same name elsewhere is.
void TestFolderRun::ownFilesAreNoBooks()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const QString oldFolder = QDir::currentPath();
    const QByteArray oldSettings = qgetenv("VEMO_SETTINGS_DIR");
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(oldFolder);
        qputenv("VEMO_SETTINGS_DIR", oldSettings);
    });
    QVERIFY(QDir::setCurrent(dir.path()));
    qputenv("VEMO_SETTINGS_DIR", QFile::encodeName(dir.path()));
    QVERIFY(QFile::link(dir.path(), "link"));
    QVERIFY(QDir().mkdir("other"));
    QVERIFY(WriteTexts(dir.path(), {{"book.txt", "Книга"},
                                    {"tempTex.txt", "Книга\r\n"},
                                    {"logerr.txt", "StrLoadFromFile- x"},
                                    {"ops.txt", "Rate=1"},
                                    {"opsDir.txt", "Cover=x"},
                                    {"other/tempTex.txt", "a book of that name"}}));
    QCOMPARE(Names(FolderRun::TextFiles(folder.isEmpty() ? dir.path() : folder)), QStringList{"book.txt"});
    QCOMPARE(Names(FolderRun::TextFiles("other")), QStringList{"tempTex.txt"});

    FolderRunTestHost host;
    const FolderRunResult result = FolderRun(host, host, Settings(".")).Run();
    QCOMPARE(result.textFiles, 1);
    QVERIFY(QFile::exists("book.wav"));
    QVERIFY(!QFile::exists("tempTex.wav"));
}

void TestFolderRun::namesNotInUtf8AreReported_data()
{
    QTest::addColumn<QByteArray>("rawName");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Windows-1251") << QByteArray("\xEA\xED\xE8\xE3\xE0.txt") << "книга.txt";
    QTest::newRow("KOI8-R") << QByteArray("\xCB\xCE\xC9\xC7\xC1 \xD0\xC5\xD2\xD7\xC1\xD1.txt")
                            << "книга первая.txt";
}

// A text file whose name is not UTF-8 is never left out silently: the log names it, the
// other books are converted, and a folder or a file of another kind with such a name is no
// concern of the run.
void TestFolderRun::namesNotInUtf8AreReported()
{
    QFETCH(QByteArray, rawName);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), {{"a.txt", "Привет"}}));
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    for (const QByteArray& name : {rawName, QByteArray("\xE0\xE1.wav")}) {
        const int fd = open((folder + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && write(fd, "text", 4) == 4 && close(fd) == 0);
    }
    QCOMPARE(mkdir((folder + "\xE0\xE1.txt").constData(), 0755), 0);
    FolderRunTestHost host;
    const QString oldFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(oldFolder); });

    const FolderRunResult result = FolderRun(host, host, Settings(dir.path())).Run();

    QCOMPARE(result.textFiles, 1);
    QVERIFY(QFile::exists(dir.filePath("a.wav")));
    QCOMPARE(host.logLines.size(), 1);
    QVERIFY2(host.logLines.first().contains(shown) && host.logLines.first().contains("UTF-8"),
             qPrintable(host.logLines.first()));
    QVERIFY(QFile(dir.filePath("logerr.txt")).size() > 0);
}

void TestFolderRun::errorEndsRun_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("unreadable");
    QTest::addColumn<bool>("blockTemp");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QString>("message");

    QTest::newRow("non-numeric limit, undivided") << "12a"
                                                  << "" << false << QStringList{} << "12a";
    QTest::newRow("ToVideo.temp cannot be written") << "1000"
                                                    << "" << true << QStringList{"a.wav"} << "ToVideo.temp";
}

void TestFolderRun::errorEndsRun()
{
    QFETCH(QString, limit);
    QFETCH(QString, unreadable);
    QFETCH(bool, blockTemp);
    QFETCH(QStringList, made);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), {{"a.txt", "Привет hello"}, {"b.txt", "мир"}}));
    if (blockTemp)
        QVERIFY(QDir(dir.path()).mkdir("ToVideo.temp"));
    FolderRunSettings settings = Settings(dir.path());
    settings.sound.partCharLimit = limit;
    FolderRunTestHost host;
    host.unreadable = QStringList{unreadable};
    SpFileStream other;
    host.ru->SetAudioOutputStream(&other);

    try {
        FolderRun(host, host, settings).Run();
        QFAIL("the run did not report the error");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
    }
    QCOMPARE(MadeFiles(dir.path()), made);
    for (const QString& wav : made)
        QVERIFY(QFileInfo(dir.filePath(wav)).size() > 44);
    QVERIFY(!QFileInfo::exists(dir.filePath("ToVideo.bat")));
    QVERIFY(!host.stream.IsOpen());
    QCOMPARE(host.ru->AudioOutputStream(), &other);
    QCOMPARE(host.eng->AudioOutputStream(), nullptr);
}

void TestFolderRun::badBookIsPassedOver_data()
{
    QTest::addColumn<QString>("unreadable");
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("why"); // in the failure and the run log

    QTest::newRow("unreadable book in the middle")
        << "b.txt" << false << QStringList{"a.wav", "c.wav"} << QStringList{"Cannot read", "b.txt"};
    // A folder where b's MP3 file should go: the encoder cannot create it.
    QTest::newRow("failed MP3 conversion")
        << "" << true << QStringList{"a.mp3", "b.wav", "c.mp3"}
        << QStringList{"Ошибка при конвертации wav в mp3 ФАЙЛ !", "/b.wav"};
}

// A book that cannot be read or converted is recorded with why, named in the host's log
// and the run log, and the books after it are converted all the same.
void TestFolderRun::badBookIsPassedOver()
{
    QFETCH(QString, unreadable);
    QFETCH(bool, mp3);
    QFETCH(QStringList, made);
    QFETCH(QStringList, why);
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), {{"a.txt", "Привет"}, {"b.txt", "мир"}, {"c.txt", "hello"}}));
    if (mp3)
        QVERIFY(QDir(dir.path()).mkdir("b.mp3.part"));
    FolderRunSettings settings = Settings(dir.path());
    if (mp3)
        WithMp3(settings);
    FolderRunTestHost host;
    host.unreadable = QStringList{unreadable};

    const FolderRunResult result = FolderRun(host, host, settings).Run();

    QCOMPARE(MadeFiles(dir.path()), made);
    QCOMPARE(result.textFilesSpoken, 3);
    QCOMPARE(result.failedBooks.size(), 1);
    QCOMPARE(result.failedBooks.first().textFile, dir.filePath("b.txt"));
    QCOMPARE(Names(result.videoFiles), (QStringList{"a.avi", "c.avi"}));
    QCOMPARE(host.logLines.size(), 1);
    const QStringList log = ReadText(dir.filePath("vemo-run.log")).split('\n', Qt::SkipEmptyParts);
    const QString bookLine = log.filter("book " + dir.filePath("b.txt")).value(0);
    for (const QString& part : why) {
        QVERIFY2(result.failedBooks.first().message.contains(part),
                 qPrintable(result.failedBooks.first().message));
        QVERIFY2(host.logLines.first().contains(part), qPrintable(host.logLines.first()));
        QVERIFY2(bookLine.contains("FAILED") && bookLine.contains(part), qPrintable(log.join('\n')));
    }
    QVERIFY(log.first().contains("start: " + dir.path() + ", 3 books"));
    QCOMPARE(log.filter(": done in ").size(), 2);
    QVERIFY2(log.last().contains("end: 3 of 3 books taken up, 0 skipped, 1 failed: " + dir.filePath("b.txt")),
             qPrintable(log.last()));
    QVERIFY(!host.stream.IsOpen());
}

// A missing cover: the converter fails on the video, and the run log keeps what it said.
void TestFolderRun::failedVideoIsLoggedWithConverterOutput()
{
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), {{"a.txt", "Привет"}}));
    FolderRunSettings settings = Settings(dir.path());
    settings.video.coverDefault = "missing-cover.jpg";
    settings.video.commandTemplate = "-v error -i %fsnd -loop 1 -i %fjpg -shortest -y %fvideo";
    settings.makeVideos = true;
    FolderRunTestHost host;

    const FolderRunResult result = FolderRun(host, host, settings).Run();

    QCOMPARE(result.batchRan, std::optional<bool>(true));
    QCOMPARE(Names(result.failedVideos), QStringList{"a.avi"});
    const QString log = ReadText(dir.filePath("vemo-run.log"));
    QVERIFY2(log.contains("video " + dir.filePath("a.avi") + " was not made; the converter said:\n"),
             qPrintable(log));
    QVERIFY2(log.contains("    missing-cover.jpg: No such file or directory"), qPrintable(log));
    QVERIFY2(log.contains("videos: 0 of 1 made"), qPrintable(log));
}

void TestFolderRun::skipExisting_data()
{
    QTest::addColumn<QString>("limit");  // empty: not divided
    QTest::addColumn<QString>("change"); // what happens to a.txt's files between the runs
    QTest::addColumn<bool>("skipped");

    QTest::newRow("complete: passed over") << ""
                                           << "" << true;
    QTest::newRow("divided, complete: passed over") << "0"
                                                    << "" << true;
    QTest::newRow("text edited since") << ""
                                       << "touch text" << false;
    QTest::newRow("a part missing") << "0"
                                    << "remove a 001.wav" << false;
    QTest::newRow("only a part file left by a kill") << ""
                                                     << "remove a.wav, leave a.wav.part" << false;
    QTest::newRow("last conversion stopped") << ""
                                             << "log stopped" << false;
    QTest::newRow("stopped, then done again") << ""
                                              << "log stopped, then done" << true;
}

// A second run with skipExisting passes over a book whose sound files are all there and
// newer than its text, unless the run log says its last conversion was stopped; its video
// command comes back only when its video is missing.
void TestFolderRun::skipExisting()
{
    QFETCH(QString, limit);
    QFETCH(QString, change);
    QFETCH(bool, skipped);
    QTemporaryDir dir;
    QVERIFY(WriteTexts(dir.path(), {{"a.txt", "Привет hello мир"}, {"b.txt", "мир"}}));
    FolderRunSettings settings = Settings(dir.path());
    settings.sound.divide = !limit.isEmpty();
    settings.sound.partCharLimit = limit.isEmpty() ? "1000" : limit;
    FolderRunTestHost host;
    const FolderRunResult first = FolderRun(host, host, settings).Run();
    QCOMPARE(first.failedBooks.size(), 0);
    const QString a = dir.filePath(settings.sound.divide ? "a 000.wav" : "a.wav");
    const QString textA = dir.filePath("a.txt");
    const QString b = dir.filePath(settings.sound.divide ? "b 000.wav" : "b.wav");
    QVERIFY(QFile::remove(b));
    if (change == "touch text") {
        QFile text(textA);
        QVERIFY(text.open(QIODevice::ReadWrite));
        QVERIFY(text.setFileTime(QFileInfo(a).lastModified().addSecs(5), QFileDevice::FileModificationTime));
    } else if (change.startsWith("remove ")) {
        QVERIFY(QFile::remove(dir.filePath(change.section(' ', 1).section(',', 0, 0))));
        if (change.endsWith(".part"))
            QVERIFY(Write(dir.filePath("a.wav.part"), "RIFF"));
    } else if (change.startsWith("log stopped")) {
        RunLog log(dir.path());
        QVERIFY(log.Add("book " + textA + RunLog::Stopped + "0.1 s: " + a));
        if (change.endsWith("done"))
            QVERIFY(log.Add("book " + textA + RunLog::Done + "0.2 s: " + a));
    }
    const QDateTime before = QFileInfo(a).lastModified();
    settings.skipExisting = true;
    QTest::qWait(20); // a file written again gets a later time

    const FolderRunResult second = FolderRun(host, host, settings).Run();

    QCOMPARE(second.booksSkipped, skipped ? 1 : 0);
    QVERIFY(QFileInfo::exists(b));
    QCOMPARE(QFileInfo(a).lastModified() == before, skipped);
    // No video was made: every sound file gets its command, the passed-over book's too.
    QCOMPARE(second.videoFiles, first.videoFiles);
    const QString log = ReadText(dir.filePath("vemo-run.log"));
    QCOMPARE(log.contains("book " + textA + RunLog::Skipped), skipped);
    QVERIFY(!QFileInfo::exists(dir.filePath("a.wav.part")) || change.endsWith(".part") == !skipped);
}

void TestFolderRun::nothingToConvert_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QString>("file");
    QTest::newRow("folder without text files") << ""
                                               << "notes.doc";
    QTest::newRow("folder that does not exist") << "/missing"
                                                << "";
    QTest::newRow("a folder called x.txt is no text") << ""
                                                      << "x.txt/";
}

void TestFolderRun::nothingToConvert()
{
    QFETCH(QString, subfolder);
    QFETCH(QString, file);
    QTemporaryDir dir;
    if (file.endsWith('/'))
        QVERIFY(QDir(dir.path()).mkdir(file));
    else if (!file.isEmpty())
        QVERIFY(Write(dir.filePath(file), "text"));
    FolderRunSettings settings = Settings(dir.path() + subfolder);
    settings.makeVideos = true;
    FolderRunTestHost host;

    const FolderRunResult result = FolderRun(host, host, settings).Run();

    QCOMPARE(result.textFiles, 0);
    QVERIFY(!result.batchRan.has_value());
    QVERIFY(MadeFiles(dir.path()).isEmpty() || MadeFiles(dir.path()) == QStringList{file});
    QVERIFY(!QFileInfo::exists(dir.filePath("ToVideo.bat")));
    QVERIFY(host.beeps.isEmpty());
}

// Text files named to break out of a shell line: the batch, run for real with a fake
// converter, hands every name over as one argument and runs nothing else.
void TestFolderRun::hostileNamesRunNothing()
{
    const QStringList names{"it's.txt",
                            "say \"hi\".txt",
                            "$(touch pwned).txt",
                            "`touch pwned`.txt",
                            "a; touch pwned;.txt",
                            "two  spaces.txt",
                            "line\nbreak.txt",
                            "-rf.txt",
                            "Книга 1.txt",
                            "a|touch pwned&.txt"};
    QTemporaryDir dir, converter;
    for (const QString& name : names)
        QVERIFY2(Write(dir.filePath(name), "Hello мир"), qPrintable(name));
    const QString argsFile = converter.filePath("args");
    QVERIFY(!MakeFakeConverter(converter.path(), argsFile).isEmpty());
    FolderRunSettings settings = Settings(dir.path());
    settings.video.converterFolder = converter.path();
    settings.video.commandTemplate = "-i %fsnd -i %fjpg %fvideo";
    settings.makeVideos = true;
    FolderRunTestHost host;

    const FolderRunResult result = FolderRun(host, host, settings).Run();

    QCOMPARE(result.videoFiles.size(), names.size());
    QCOMPARE(result.batchRan, std::optional<bool>(true));
    QCOMPARE(host.beeps, QList<int>{3});
    const QStringList arguments = RecordedArguments(argsFile);
    QCOMPARE(arguments.size(), 5 * names.size());
    for (qsizetype i = 0; i < result.videoFiles.size(); ++i) {
        const QString video = result.videoFiles.at(i);
        QCOMPARE(arguments.at(5 * i + 1), video.chopped(4) + ".wav");
        QCOMPARE(arguments.at(5 * i + 3), "Cover.jpg");
        QCOMPARE(arguments.at(5 * i + 4), video);
        QVERIFY2(QFileInfo::exists(video), qPrintable(video));
    }
    QVERIFY(!QFileInfo::exists(dir.filePath("pwned")));
    QVERIFY(!QFileInfo::exists("pwned"));
}

QTEST_GUILESS_MAIN(TestFolderRun)
#include "tst_folderrun.moc"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The program's command line as a user meets it: no display at all (no X, no Wayland, no
// offscreen platform), so an answer that opened the window would fail instead of passing.
class TestVemoCli : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void runMessages_data();
    void runMessages();
    void failureMessages_data();
    void failureMessages();
    void listVoices_data();
    void listVoices();
    void toFileMixesEngines_data();
    void toFileMixesEngines();
    void speakAheadInput_data();
    void speakAheadInput();

private:
    QTemporaryDir m_settings;
};

namespace {

struct Finished
{
    int status = -1;
    QString out;
    QString errors;
};

Finished RunVemo(const QStringList& arguments, const QString& lang, const QString& settingsDir,
                 const QString& engine = QStringLiteral("test"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(variable));
    environment.insert("LANG", lang);
    environment.insert("VEMO_SETTINGS_DIR", settingsDir);
    environment.insert("VEMO_SPEECH_ENGINE", engine);
    environment.insert("XDG_RUNTIME_DIR", settingsDir); // a private one, as a desktop session has
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(settingsDir);
    process.start(VEMO_PROGRAM, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A Russian sentence has lower-case Cyrillic words; a file name in an example does not count.
bool HasRussianWords(const QString& text)
{
    static const QRegularExpression word("[а-яё]{3,}");
    return text.contains(word);
}

} // namespace

void TestVemoCli::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");   // part of standard output; empty: nothing written
    QTest::addColumn<QString>("error"); // part of the one line on standard error; empty: none

    const QString en = "en_US.UTF-8";
    const QString ru = "ru_RU.UTF-8";
    QTest::newRow("--version") << QStringList{"--version"} << en << 0 << "vemo " VEMO_VERSION "\n"
                               << "";
    QTest::newRow("-v in Russian") << QStringList{"-v"} << ru << 0 << "Лицензия"
                                   << "";
    QTest::newRow("-h names every mode") << QStringList{"-h"} << en << 0 << "--convert-folder DIR [options]"
                                         << "";
    QTest::newRow("--help in Russian") << QStringList{"--help"} << ru << 0 << "vemo --watch ПАПКА"
                                       << "";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << en << 2 << ""
                                    << "vemo: unknown option --frobnicate";
    QTest::newRow("unknown option in Russian") << QStringList{"--frobnicate"} << ru << 2 << ""
                                               << "неизвестный параметр --frobnicate";
    QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << en << 2 << ""
                               << "«b.txt»";
    QTest::newRow("to-file: wrong value")
        << QStringList{"--to-file", "a.txt", "b.wav", "--divide", "x1"} << en << 2 << ""
        << "«x1»";
    QTest::newRow("to-file: unknown option")
        << QStringList{"--to-file", "a.txt", "b.wav", "--loud"} << en << 2 << ""
        << "--loud";
    QTest::newRow("to-file: missing output") << QStringList{"--to-file", "a.txt"} << en << 2 << ""
                                             << "";
    QTest::newRow("convert-folder: no such folder")
        << QStringList{"--convert-folder", "/no/such/folder"} << en << 2 << ""
        << "/no/such/folder";
    QTest::newRow("watch: wrong cover rule")
        << QStringList{"--watch", "/tmp", "--cover-rule", "7"} << en << 2 << ""
        << "--cover-rule";
    QTest::newRow("convert-folder: unknown format")
        << QStringList{"--convert-folder", "/tmp", "--formats", "txt,pdf"} << en << 2 << ""
        << "«pdf»";
    QTest::newRow("list-voices: extra word") << QStringList{"--list-voices", "all"} << en << 2 << ""
                                             << "«all»";
    QTest::newRow("to-file: part length not a number")
        << QStringList{"--to-file", "a.txt", "b.wav", "--divide", "много"} << en << 2 << ""
        << "--divide wants a whole number";
    QTest::newRow("to-file in Russian: wrong value")
        << QStringList{"--to-file", "a.txt", "b.wav", "--rate-ru", "11"} << ru << 2 << ""
        << "--rate-ru: нужно целое число от -10 до 10, а не «11»";
    QTest::newRow("to-file in Russian: part length")
        << QStringList{"--to-file", "a.txt", "b.wav", "--divide", "x1"} << ru << 2 << ""
        << "«x1»";
    QTest::newRow("to-file in Russian: unknown option")
        << QStringList{"--to-file", "a.txt", "b.wav", "--loud"} << ru << 2 << ""
        << "неизвестный параметр «--loud»";
    QTest::newRow("convert-folder in Russian: no such folder")
        << QStringList{"--convert-folder", "/no/such/folder"} << ru << 2 << ""
        << "папки «/no/such/folder» нет";
    QTest::newRow("convert-folder in Russian: wrong sound option")
        << QStringList{"--convert-folder", "/tmp", "--channels", "quad"} << ru << 2 << ""
        << "vemo --convert-folder: --channels: «quad» - не одно из: mono, stereo, joint";
    QTest::newRow("watch in Russian: template name")
        << QStringList{"--watch", "/tmp", "--video-template", "mkv"} << ru << 2 << ""
        << "нужно default или mp4";
    QTest::newRow("list-voices in Russian: extra word")
        << QStringList{"--list-voices", "all"} << ru << 2 << ""
        << "не принимает аргументов";
}

void TestVemoCli::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, lang);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, error);
    const Finished run = RunVemo(arguments, lang, m_settings.path());
    QVERIFY2(run.status == status,
             qPrintable(QString("status %1, errors: %2").arg(run.status).arg(run.errors)));
    if (out.isEmpty())
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
    else
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
    if (status == 0) {
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors));
        // One language per stream: Russian help has no English sentence, English none in Russian.
        QCOMPARE(HasRussianWords(run.out), lang.startsWith("ru"));
        return;
    }
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    QCOMPARE(run.errors.count('\n'), 1);
    // The message is in the user's language; what the user typed («...») may be in any.
    static const QRegularExpression quoted("«[^»]*»");
    QVERIFY2(HasRussianWords(QString(run.errors).remove(quoted)) == lang.startsWith("ru"),
             qPrintable(run.errors));
}

void TestVemoCli::runMessages_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("error");
    QTest::newRow("English") << "en_GB.UTF-8"
                             << "No voice is called «Никто»";
    QTest::newRow("Russian") << "ru_RU.UTF-8"
                             << "Голоса «Никто» нет";
}

// What a run of --to-file says once its command line was right is in the same language.
void TestVemoCli::runMessages()
{
    QFETCH(QString, lang);
    QFETCH(QString, error);
    QFile text(m_settings.filePath("short.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Short text.\n");
    text.close();
    const Finished run =
        RunVemo({"--to-file", "short.txt", "short.wav", "--voice-en", "Никто"}, lang, m_settings.path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    static const QRegularExpression quoted("«[^»]*»");
    QVERIFY2(HasRussianWords(QString(run.errors).remove(quoted)) == lang.startsWith("ru"),
             qPrintable(run.errors));
    // And a folder run's own lines.
    QVERIFY(QDir(m_settings.path()).mkpath("empty"));
    const Finished folder = RunVemo({"--convert-folder", "empty"}, lang, m_settings.path());
    QCOMPARE(folder.status, 0);
    const QString said = folder.errors + folder.out;
    QVERIFY2(said.contains("*.txt") && HasRussianWords(said) == lang.startsWith("ru"), qPrintable(said));
}

void TestVemoCli::failureMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named"); // the file the message must name
    QTest::addColumn<QString>("lang");
    const struct
    {
        const char* name;
        QStringList arguments;
        const char* named;
    } failures[] = {
        {"missing text", {"--to-file", "nothere.txt", "o.wav"}, "nothere.txt"},
        {"folder as text", {"--to-file", "adir", "o.wav"}, "adir"},
        {"broken EPUB", {"--to-file", "broken.epub", "o.wav"}, "broken.epub"},
        {"broken DOCX in a folder", {"--convert-folder", "books", "--formats", "txt,docx"}, "cut.docx"},
        {"output folder missing", {"--to-file", "short.txt", "nowhere/o.wav"}, "nowhere/o.wav"},
        {"part pattern unwritable",
         {"--to-file", "short.txt", "nowhere/p.wav", "--divide", "5"},
         "nowhere/p"},
    };
    for (const auto& failure : failures)
        for (const char* lang : {"en_US.UTF-8", "ru_RU.UTF-8"})
            QTest::addRow("%s, %s", failure.name, lang)
                << failure.arguments << QString::fromLatin1(failure.named) << QString::fromLatin1(lang);
}

// Errors that the window shares with the command line (reading and writing files, books)
// come in the command line's language and name the file.
void TestVemoCli::failureMessages()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    QFETCH(QString, lang);
    const QDir dir(m_settings.path());
    QVERIFY(dir.mkpath("adir") && dir.mkpath("books"));
    QFile text(dir.filePath("short.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Short text. Короткий текст.\n");
    text.close();
    // A zip archive cut short: its local header and nothing of its central directory.
    for (const QString& name : {QStringLiteral("broken.epub"), QStringLiteral("books/cut.docx")}) {
        QFile book(dir.filePath(name));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write(QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + QByteArray(40, 'x'));
        book.close();
    }
    const Finished run = RunVemo(arguments, lang, m_settings.path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.errors.contains(named), qPrintable(run.errors));
    static const QRegularExpression quoted("«[^»]*»");
    QString said = QString(run.errors).remove(quoted);
    said.remove(QStringLiteral("Короткий")); // the text's own words, when a message quotes it
    QVERIFY2(HasRussianWords(said) == lang.startsWith("ru"), qPrintable(run.errors));
}

void TestVemoCli::listVoices_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("id");
    QTest::newRow("espeak-ng") << "espeak-ng"
                               << "zle/ru";
    QTest::newRow("espeak-ng variant") << "espeak-ng"
                                       << "gmw/en-US+f3";
}

// Every line names the engine, the id and the description, which ends with the engine too.
void TestVemoCli::listVoices()
{
    QFETCH(QString, engine);
    QFETCH(QString, id);
    const Finished run = RunVemo({"--list-voices"}, "C.UTF-8", m_settings.path(), "espeak");
    QCOMPARE(run.status, 0);
    bool found = false;
    for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        QVERIFY2(fields.size() == 3, qPrintable(line));
        QVERIFY2(fields.at(2).endsWith(QStringLiteral(" [%1]").arg(fields.at(0))), qPrintable(line));
        found = found || (fields.at(0) == engine && fields.at(1) == id);
    }
    QVERIFY2(found, qPrintable(run.out.left(2000)));
}

void TestVemoCli::toFileMixesEngines_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("minimumBytes");
    QTest::newRow("WAV 48 kHz stereo") << QStringList{"--format", "39"} << "mixed.wav" << 48000 * 4 * 2;
    QTest::newRow("MP3") << QStringList{"--mp3"} << "mixed.mp3" << 8000;
}

// A bilingual text into a file, Russian by espeak-ng and English by Flite, in a WAV format
// of another rate than either engine's and in MP3.
void TestVemoCli::toFileMixesEngines()
{
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    QFETCH(int, minimumBytes);
    QFile text(m_settings.filePath("mixed.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Привет, world! This is a test of two engines. Как дела?\n");
    text.close();
    const Finished run = RunVemo(QStringList{"--to-file", text.fileName(), m_settings.filePath("mixed.wav"),
                                             "--voice-en", "flite/slt", "--voice-ru", "zle/ru"} +
                                     options,
                                 "C.UTF-8", m_settings.path(), "espeak");
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    const QFileInfo file(m_settings.filePath(output));
    QVERIFY2(file.size() > minimumBytes, qPrintable(QString::number(file.size())));
}

void TestVemoCli::speakAheadInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // on standard error
    QTest::newRow("nothing sent") << QByteArray() << 0 << QString();
    QTest::newRow("not a request") << QByteArray("hello, worker\n") << 1 << QStringLiteral("incomplete");
    // The request's mark, then a voice name of 16 bytes of which 3 come.
    QTest::newRow("cut short") << QByteArray("VAH1\0\0\0\x10"
                                             "abc",
                                             11)
                               << 1 << QStringLiteral("incomplete");
}

// The worker a To File run starts reads its requests until its input ends; what is no
// request ends it with a message, never a hang or a crash.
void TestVemoCli::speakAheadInput()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, said);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VEMO_SETTINGS_DIR", m_settings.path());
    environment.insert("VEMO_SPEECH_ENGINE", "test");
    process.setProcessEnvironment(environment);
    process.start(VEMO_PROGRAM, {QStringLiteral("--speak-ahead")});
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    if (!said.isEmpty())
        QVERIFY2(errors.contains(said), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestVemoCli)
#include "tst_vemocli.moc"

#include "Mp3Probe.h"
#include "files/VemoError.h"
#include "soundfile/EncoderConfig.h"
#include "soundfile/ToFileArguments.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// vemo --to-file: the option parser, and the program itself speaking with espeak-ng.
class TestToFileCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void arguments_data();
    void arguments();
    void refusedArguments_data();
    void refusedArguments();
    void spokenFiles_data();
    void spokenFiles();
    void rtfIsReadAsItsText();
    void booksAreSpokenWithTheirTitle_data();
    void booksAreSpokenWithTheirTitle();
    void failures_data();
    void failures();
    void strayBytesAreReportedOnce();
    void outputIsTheText_data();
    void outputIsTheText();
    void ctrlCReportsWhatIsOnDisk_data();
    void ctrlCReportsWhatIsOnDisk();

private:
    int vemo(const QStringList& arguments, const QString& shellPrefix = {});
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_stderr;
};

namespace {

const QString Text = QStringLiteral("Привет, world! Как дела? This is a test of 42 things.\n");

QStringList words(const QString& line)
{
    return line.split(' ', Qt::SkipEmptyParts);
}

// codec, sample rate and channels as ffprobe reads them.
QString probe(const QString& fileName)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                              "stream=codec_name,sample_rate,channels", "-of", "csv=p=0", fileName});
    ffprobe.waitForFinished(20000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
}

} // namespace

void TestToFileCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QFile text(path("text.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(Text.toUtf8());
}

int TestToFileCli::vemo(const QStringList& arguments, const QString& shellPrefix)
{
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VEMO_SPEECH_ENGINE", "espeak");
    process.setProcessEnvironment(environment);
    if (shellPrefix.isEmpty()) {
        process.start(VEMO_PROGRAM, QStringList{"--to-file"} + arguments);
    } else {
        QString command = shellPrefix + " exec '" VEMO_PROGRAM "' --to-file";
        for (const QString& argument : arguments)
            command += " '" + argument + "'";
        process.start("/bin/sh", {"-c", command});
    }
    if (!process.waitForFinished(60000))
        return -1;
    m_stderr = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

void TestToFileCli::arguments_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("limit"); // -1: not divided
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<int>("quality");
    QTest::newRow("defaults") << "t o" << 34 << -1 << 0 << 0 << 0;
    QTest::newRow("format by name") << "t o --format saft8khz8bitmono" << 4 << -1 << 0 << 0 << 0;
    QTest::newRow("format by number") << "t o --format 22 --divide 500" << 22 << 500 << 0 << 0 << 0;
    QTest::newRow("mp3 defaults: mono, CBR 64 kbps") << "t o --mp3" << 22 << -1 << 22050 << 64 << 0xFD02;
    QTest::newRow("mp3 stereo") << "t o --mp3 --channels stereo" << 23 << -1 << 22050 << 64 << 0xFD02;
    QTest::newRow("LQP_CBR at the given bitrate")
        << "t o --mp3 --mode lqp_cbr --bitrate 96" << 22 << -1 << 22050 << 96 << 0xFD02;
    QTest::newRow("mp3 cbr") << "t o --mp3 --sample-rate 44100 --mode CBR --bitrate 96 --quality 5" << 34
                             << -1 << 44100 << 96 << 0xFA05;
    QTest::newRow("bitrate the rate cannot take")
        << "t o --mp3 --sample-rate 44100 --mode cbr --bitrate 24 --channels joint" << 35 << -1 << 44100
        << 128 << 0xFD02;
}

void TestToFileCli::arguments()
{
    QFETCH(QString, line);
    QFETCH(int, format);
    QFETCH(int, limit);
    QFETCH(int, sampleRate);
    QFETCH(int, bitrate);
    QFETCH(int, quality);
    const ToFileArguments a = ParseToFileArguments(words(line));
    QCOMPARE(a.textFile, "t");
    QCOMPARE(a.options.chosenFileName, "o");
    const SoundFileOptions& sound = a.options.sound;
    QCOMPARE(sound.StreamFormatType(), format);
    QCOMPARE(sound.divide, limit >= 0);
    if (limit >= 0)
        QCOMPARE(sound.PartCharLimit(), limit);
    QCOMPARE(int(sound.EncoderConfig().Dword(EncoderConfig::dwSampleRate)), sampleRate);
    QCOMPARE(int(sound.EncoderConfig().Dword(EncoderConfig::dwBitrate)), bitrate);
    QCOMPARE(int(sound.EncoderConfig().Word(EncoderConfig::nQuality)), quality);
}

void TestToFileCli::refusedArguments_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no output") << "t"
                               << "TEXT OUT";
    QTest::newRow("option first") << "--mp3 t o"
                                  << "TEXT OUT";
    QTest::newRow("unknown") << "t o --loud"
                             << "«--loud»";
    QTest::newRow("value missing") << "t o --divide"
                                   << "--divide wants a value";
    QTest::newRow("limit not a number") << "t o --divide 1e3"
                                        << "«1e3»";
    QTest::newRow("format out of range") << "t o --format 40"
                                         << "--format";
    QTest::newRow("mp3 option without mp3") << "t o --bitrate 64"
                                            << "--bitrate needs --mp3";
    QTest::newRow("format with mp3") << "t o --mp3 --format 34"
                                     << "--format cannot";
    QTest::newRow("bitrate not listed") << "t o --mp3 --bitrate 65"
                                        << "«65»";
    QTest::newRow("rate too fast") << "t o --rate-ru 11"
                                   << "--rate-ru";
    QTest::newRow("digits") << "t o --digits de"
                            << "«de»";
    // The MP3's name given as OUT: told before speaking which name to give.
    QTest::newRow("an MP3 name with --mp3") << "t book.mp3 --mp3"
                                            << "give «book.wav» with --mp3, and the MP3 file is «book.mp3»";
    QTest::newRow("an MP3 name without --mp3") << "t dir/Book.MP3"
                                               << "give «dir/Book.wav»";
}

void TestToFileCli::refusedArguments()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    try {
        ParseToFileArguments(words(line));
        QFAIL("accepted");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
    }
}

void TestToFileCli::spokenFiles_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("progress"); // standard error, not a terminal: a line per file and phase
    QTest::newRow("wav") << "" << QStringList{"out.wav"} << "pcm_s16le,44100,1"
                         << QStringList{"speaking out.wav"};
    QTest::newRow("wav 8-bit stereo") << "--format SAFT22kHz8BitStereo" << QStringList{"out.wav"}
                                      << "pcm_u8,22050,2" << QStringList{"speaking out.wav"};
    QTest::newRow("mp3 parts") << "--divide 20 --mp3 --sample-rate 16000 --mode cbr --bitrate 32"
                               << QStringList{"out000.mp3", "out001.mp3", "out002.mp3"} << "mp3,16000,1"
                               << QStringList{"speaking out000.wav", "converting out000.mp3",
                                              "speaking out001.wav", "converting out001.mp3",
                                              "speaking out002.wav", "converting out002.mp3"};
    QTest::newRow("mp3 stereo") << "--mp3 --channels stereo" << QStringList{"out.mp3"} << "mp3,22050,2"
                                << QStringList{"speaking out.wav", "converting out.mp3"};
    QTest::newRow("quiet") << "--mp3 --quiet" << QStringList{"out.mp3"} << "mp3,22050,1" << QStringList{};
}

void TestToFileCli::spokenFiles()
{
    QFETCH(QString, options);
    QFETCH(QStringList, files);
    QFETCH(QString, format);
    QFETCH(QStringList, progress);
    QCOMPARE(vemo(QStringList{"text.txt", "out.wav"} + words(options)), 0);
    QCOMPARE(QDir(m_dir->path()).entryList({"out*.wav", "out*.mp3"}, QDir::Files, QDir::Name), files);
    for (const QString& file : files) {
        const QString base = m_dir->filePath(QFileInfo(file).completeBaseName());
        QVERIFY2(QFileInfo::exists(base + ".srt") && QFileInfo::exists(base + ".lrc"), qPrintable(file));
    }
    for (const QString& file : files)
        QCOMPARE(probe(path(file)), format);
    QCOMPARE(m_stderr.split('\n', Qt::SkipEmptyParts), progress);
    QVERIFY(QFile::exists(path("tempTex.txt")));
}

void TestToFileCli::rtfIsReadAsItsText()
{
    QFile rtf(path("text.rtf"));
    QVERIFY(rtf.open(QIODevice::WriteOnly));
    rtf.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Hello} world\\par}");
    rtf.close();
    QCOMPARE(vemo({"text.rtf", "out.wav"}), 0);
    QFile dump(path("tempTex.txt"));
    QVERIFY(dump.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(dump.readAll()).simplified(), "Hello world");
}

void TestToFileCli::booksAreSpokenWithTheirTitle_data()
{
    QTest::addColumn<QString>("book");
    QTest::newRow("EPUB") << "book.epub";
    QTest::newRow("zipped FB2") << "book.fb2.zip";
    QTest::newRow("DOCX") << "book.docx";
    QTest::newRow("ODT") << "book.odt";
    QTest::newRow("HTML") << "book.html";
}

// A book is spoken as its text, without markup or pictures, and its own title tags the MP3.
void TestToFileCli::booksAreSpokenWithTheirTitle()
{
    QFETCH(QString, book);
    QVERIFY(QFile::copy(QStringLiteral(VEMO_BOOKS_DIR "/") + book, path(book)));
    QCOMPARE(vemo({book, "out.wav", "--mp3", "--quiet"}), 0);
    QFile dump(path("tempTex.txt"));
    QVERIFY(dump.open(QIODevice::ReadOnly));
    QFile reference(QStringLiteral(VEMO_BOOKS_DIR "/book.reference.txt"));
    QVERIFY(reference.open(QIODevice::ReadOnly));
    QString words = QString::fromUtf8(reference.readAll());
    words.remove(QStringLiteral("# ")).remove(u'*');
    QCOMPARE(QString::fromUtf8(dump.readAll()).simplified(), words.simplified());
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries", "format_tags=title,album", "-of", "csv=p=0",
                              path("out.mp3")});
    QVERIFY(ffprobe.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed(),
             QStringLiteral("Сказка о двух языках,Сказка о двух языках"));
}

void TestToFileCli::failures_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("shellPrefix");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("kept"); // a file that must stay
    QTest::newRow("missing folder") << "text.txt nofolder/out.wav"
                                    << ""
                                    << "nofolder/out.wav"
                                    << "";
    QTest::newRow("missing text") << "none.txt out.wav"
                                  << ""
                                  << "none.txt"
                                  << "";
    QTest::newRow("file size limit") << "text.txt out.wav"
                                     << "ulimit -f 8;"
                                     << "out.wav"
                                     << "out.wav.part"; // cut short: never under the final name
}

void TestToFileCli::failures()
{
    QFETCH(QString, arguments);
    QFETCH(QString, shellPrefix);
    QFETCH(QString, message);
    QFETCH(QString, kept);
    QCOMPARE(vemo(words(arguments), shellPrefix), 1);
    QVERIFY2(m_stderr.contains(message), qPrintable(m_stderr));
    if (!kept.isEmpty())
        QVERIFY(QFile::exists(path(kept)));
}

// A UTF-8 text with two bad bytes is spoken as UTF-8, and the replacement is told once.
void TestToFileCli::strayBytesAreReportedOnce()
{
    QFile text(path("stray.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(Text.toUtf8() + "\xFF " + Text.toUtf8() + "\xC0");
    text.close();
    QCOMPARE(vemo({"stray.txt", "stray.wav", "--quiet"}), 0);
    QCOMPARE(m_stderr.count("stray.txt"), 1);
    QVERIFY2(m_stderr.contains("UTF-8") && m_stderr.contains(": 2,"), qPrintable(m_stderr));
    QVERIFY(QFileInfo(path("stray.wav")).size() > 10000);
}

void TestToFileCli::outputIsTheText_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("text"); // the text file, which must stay as it was
    QTest::newRow("same name") << "text.txt text.txt"
                               << "text.txt";
    QTest::newRow("through a link") << "text.txt link.txt"
                                    << "text.txt";
    QTest::newRow("other spelling") << "text.txt ./sub/../text.txt"
                                    << "text.txt";
    QTest::newRow("divided, first part") << "part000.txt part.txt --divide 1000"
                                         << "part000.txt";
    QTest::newRow("the MP3 file") << "words.mp3 words.wav --mp3"
                                  << "words.mp3";
}

// A sound file never replaces the text it is spoken from, whatever name leads to it.
void TestToFileCli::outputIsTheText()
{
    QFETCH(QString, arguments);
    QFETCH(QString, text);
    QVERIFY(QDir(m_dir->path()).mkdir("sub"));
    QVERIFY(QFile::link("text.txt", path("link.txt")));
    if (text != "text.txt")
        QVERIFY(QFile::copy(path("text.txt"), path(text)));
    QCOMPARE(vemo(words(arguments)), 1);
    QVERIFY2(m_stderr.contains(text) && m_stderr.contains("the text was not overwritten"),
             qPrintable(m_stderr));
    QFile file(path(text));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), Text);
}

void TestToFileCli::ctrlCReportsWhatIsOnDisk_data()
{
    QTest::addColumn<QString>("phase"); // the progress line after which Ctrl+C comes
    QTest::addColumn<QStringList>("onDisk");
    QTest::newRow("while speaking") << "speaking out.wav" << QStringList{"out.wav"};
    // The conversion cannot be broken off: it finishes, and the WAV is gone.
    QTest::newRow("while converting") << "converting out.mp3" << QStringList{"out.mp3"};
}

// Ctrl+C ends the run with status 130 and says which sound files are on disk.
void TestToFileCli::ctrlCReportsWhatIsOnDisk()
{
    QFETCH(QString, phase);
    QFETCH(QStringList, onDisk);
    QFile text(path("long.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    for (int i = 0; i < 100; ++i) // a few seconds of speaking, and of converting
        text.write(Text.toUtf8());
    text.close();
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VEMO_SPEECH_ENGINE", "espeak");
    process.setProcessEnvironment(environment);
    process.start(VEMO_PROGRAM, {"--to-file", "long.txt", "out.wav", "--mp3", "--quality", "0"});
    QString errors;
    QTRY_VERIFY_WITH_TIMEOUT(
        (errors += QString::fromLocal8Bit(process.readAllStandardError())).contains(phase), 30000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(60000));
    errors += QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(QDir(m_dir->path()).entryList({"out*.wav", "out*.mp3"}, QDir::Files, QDir::Name), onDisk);
    QVERIFY2(errors.contains("On disk: " + onDisk.join(", ")), qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestToFileCli)
#include "tst_tofilecli.moc"

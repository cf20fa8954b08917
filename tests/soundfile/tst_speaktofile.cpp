#include "FileRunHost.h"
#include "Mp3FrameWalk.h"
#include "Mp3Probe.h"
#include "WavMaker.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/FillEncoderConfig.h"
#include "soundfile/MP3export.h"
#include "soundfile/SpeakTextToFile.h"
#include "soundfile/SpeakToFileRun.h"
#include "soundfile/ToFileOptions.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

using Parts = QList<int>;

class TestSpeakToFile : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void init();
    void partFileNames_data();
    void partFileNames();
    void division_data();
    void division();
    void moreThanAThousandParts();
    void mp3Conversion_data();
    void mp3Conversion();
    void partsConvertedBesideSpeakingAsInTurn();
    void subtitlesBesideEverySoundFile_data();
    void subtitlesBesideEverySoundFile();
    void failedConversionKeepsWav();
    void emptyText_data();
    void emptyText();
    void xmlTextIsOneRussianFragment();
    void stopToFile_data();
    void stopToFile();
    void voicesSpeakTheirStretchesInOneGo_data();
    void voicesSpeakTheirStretchesInOneGo();
    void stopWhileSpeakingAhead();
    void missingFolderNamesTheFile();
    void fullDiskEndsTheRun();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // The sound files (and other files) of the run, leaving out the subtitles beside them.
    QStringList files() const
    {
        QStringList all = QDir(m_dir->path()).entryList(QDir::Files, QDir::Name);
        all.removeIf([](const QString& name) { return name.endsWith(".srt") || name.endsWith(".lrc"); });
        return all;
    }
    void run(FileRunHost& host, const SpeakToFileSettings& settings, const QString& name = "tale.wav");
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// A fragment of n characters: words of four letters and a blank.
QString fragmentOf(int n)
{
    return QString("word ").repeated(n / 5 + 1).left(n);
}

SpeakToFileSettings settings(bool divide, int limit, bool mp3 = false, const Mp3Choices& choices = {})
{
    SpeakToFileSettings s;
    s.divide = divide;
    s.partCharLimit = limit;
    s.mp3 = mp3;
    if (mp3) {
        const FilledEncoderConfig filled = FillEncoderConfig(choices);
        s.encoderConfig = filled.config;
        s.streamFormatType = filled.streamFormatType;
    }
    return s;
}

qint64 sizeOf(const QString& name)
{
    return QFileInfo(name).size();
}

} // namespace

void TestSpeakToFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir::setCurrent(m_dir->path());
}

void TestSpeakToFile::run(FileRunHost& host, const SpeakToFileSettings& s, const QString& name)
{
    SpeakToFileRun(host, PartFileNames::ForChosenName(path(name)), s).Run();
}

void TestSpeakToFile::partFileNames_data()
{
    QTest::addColumn<bool>("textFile");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("divide");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("mp3");
    QTest::newRow("whole") << false << "/b/tale.wav" << false << 0 << "/b/tale.wav"
                           << "/b/tale.mp3";
    QTest::newRow("part 1") << false << "/b/tale.wav" << true << 1 << "/b/tale001.wav"
                            << "/b/tale001.mp3";
    QTest::newRow("part 1000") << false << "/b/tale.wav" << true << 1000 << "/b/tale1000.wav"
                               << "/b/tale1000.mp3";
    QTest::newRow("no extension") << false << "/b/tale" << true << 0 << "/b/tale000"
                                  << "/b/tale000.mp3";
    QTest::newRow("no extension, whole") << false << "/b/tale" << false << 7 << "/b/tale"
                                         << "/b/tale.mp3";
    QTest::newRow("dot in the folder") << false << "/b.d/tale" << true << 2 << "/b.d/tale002"
                                       << "/b.d/tale002.mp3";
    QTest::newRow("two dots") << false << "/b/a.b.wav" << true << 3 << "/b/a.b003.wav"
                              << "/b/a.b003.mp3";
    QTest::newRow("text file") << true << "/b/Tale.txt" << false << 0 << "/b/Tale.wav"
                               << "/b/Tale.mp3";
    QTest::newRow("text file, part") << true << "/b/Tale.txt" << true << 1 << "/b/Tale 001.wav"
                                     << "/b/Tale 001.mp3";
}

void TestSpeakToFile::partFileNames()
{
    QFETCH(bool, textFile);
    QFETCH(QString, name);
    QFETCH(bool, divide);
    QFETCH(int, part);
    QFETCH(QString, wav);
    QFETCH(QString, mp3);
    const PartFileNames names =
        textFile ? PartFileNames::ForTextFile(name) : PartFileNames::ForChosenName(name);
    QCOMPARE(names.WavName(divide, part), wav);
    QCOMPARE(names.Mp3Name(divide, part), mp3);
}

void TestSpeakToFile::division_data()
{
    QTest::addColumn<Parts>("lengths");
    QTest::addColumn<bool>("divide");
    QTest::addColumn<int>("limit");
    QTest::addColumn<Parts>("partOfFragment");
    QTest::newRow("600s, limit 1000")
        << Parts{600, 600, 600, 600, 600} << true << 1000 << Parts{0, 0, 1, 1, 2};
    QTest::newRow("last fragment closes a part")
        << Parts{600, 600, 600, 600} << true << 1000 << Parts{0, 0, 1, 1};
    QTest::newRow("reaching the limit is not above it")
        << Parts{500, 500, 1} << true << 1000 << Parts{0, 0, 0};
    QTest::newRow("limit 0") << Parts{5, 5, 5} << true << 0 << Parts{0, 1, 2};
    QTest::newRow("not divided") << Parts{600, 600, 600} << false << 1000 << Parts{-1, -1, -1};
}

void TestSpeakToFile::division()
{
    QFETCH(Parts, lengths);
    QFETCH(bool, divide);
    QFETCH(Parts, partOfFragment);
    QFETCH(int, limit);
    FileRunHost host;
    QStringList texts;
    for (int n : lengths)
        texts.append(fragmentOf(n));
    host.setFragments(texts);
    run(host, settings(divide, limit));

    // Each part holds the speech of its fragments: at least 40 bytes per character here.
    QMap<QString, int> charsOfPart;
    for (int i = 0; i < lengths.size(); ++i) {
        const int part = partOfFragment.at(i);
        const QString name = part < 0 ? "tale.wav" : QString("tale%1.wav").arg(part, 3, 10, QChar('0'));
        // Written under a temporary name until the part is complete.
        QCOMPARE(host.fileOfFragment.value(i), path(name) + ".part");
        charsOfPart[name] += lengths.at(i);
    }
    QCOMPARE(files(), charsOfPart.keys());
    for (auto it = charsOfPart.cbegin(); it != charsOfPart.cend(); ++it)
        QVERIFY2(sizeOf(path(it.key())) > 44 + 40 * it.value(), qPrintable(it.key()));
    QVERIFY(!host.stream.IsOpen());
    QCOMPARE(host.logEntries.size(), lengths.size());
    // Progress names the file each fragment goes into, before and after it is spoken.
    for (int i = 0; i < lengths.size(); ++i) {
        const QString file = host.fileOfFragment.value(i).chopped(5);
        QCOMPARE(host.speakingProgress.at(2 * i), QString("%1 %2/%3").arg(file).arg(i).arg(lengths.size()));
        QCOMPARE(host.speakingProgress.at(2 * i + 1),
                 QString("%1 %2/%3").arg(file).arg(i + 1).arg(lengths.size()));
    }
    QCOMPARE(host.logEntries.last(), "E\r\n" + texts.last() + "\r\n");
    QCOMPARE(host.captions.last(), QString(" фрагмент %1 из %1").arg(lengths.size()));
}

void TestSpeakToFile::moreThanAThousandParts()
{
    FileRunHost host;
    host.setFragments(QStringList(1002, "a"));
    run(host, settings(true, 0), "tale");
    const QStringList names = files();
    QCOMPARE(names.size(), 1002);
    QVERIFY(names.contains("tale000") && names.contains("tale999"));
    QVERIFY(names.contains("tale1000") && names.contains("tale1001"));
}

void TestSpeakToFile::mp3Conversion_data()
{
    QTest::addColumn<bool>("divide");
    QTest::addColumn<int>("channelsItem");
    QTest::addColumn<QString>("firstLang"); // of the first fragment; the others are English
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("frameMode");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("tracks");
    QTest::addColumn<QString>("languages");
    using W = Mp3FrameWalk;
    QTest::newRow("whole, mono") << false << 0 << "E" << QStringList{"tale.mp3"} << 1 << int(W::Mono)
                                 << QStringList{"tale"} << QStringList{""} << "eng";
    QTest::newRow("parts, stereo") << true << 1 << "E" << QStringList{"tale000.mp3", "tale001.mp3"} << 2
                                   << int(W::Stereo) << QStringList{"tale 000", "tale 001"}
                                   << QStringList{"1/2", "2/2"} << "eng";
    QTest::newRow("parts, joint stereo, Russian first")
        << true << 2 << "R" << QStringList{"tale000.mp3", "tale001.mp3"} << 2 << int(W::JointStereo)
        << QStringList{"tale 000", "tale 001"} << QStringList{"1/2", "2/2"} << "engrus";
}

// The WAV is written with the chosen channels and the MP3 keeps them; the tags come from
// the file names and the run, the part count included.
void TestSpeakToFile::mp3Conversion()
{
    QFETCH(bool, divide);
    QFETCH(int, channelsItem);
    QFETCH(QString, firstLang);
    QFETCH(QStringList, expected);
    QFETCH(int, channels);
    QFETCH(int, frameMode);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, tracks);
    QFETCH(QString, languages);
    FileRunHost host;
    host.setFragments({fragmentOf(600), fragmentOf(600), fragmentOf(600)});
    host.lists.FragmentLangs[0] = firstLang;
    Mp3Choices choices;
    choices.channelsItem = channelsItem;
    SpeakToFileSettings s = settings(divide, 1000, true, choices);
    run(host, s);
    QCOMPARE(files(), expected);
    QVERIFY(host.conversionErrors.isEmpty());
    for (int i = 0; i < expected.size(); ++i) {
        const QString name = expected.at(i);
        const Mp3Probe probe = Mp3Probe::of(path(name));
        QVERIFY2(probe.ok, qPrintable(name));
        QCOMPARE(probe.sampleRate, 22050);
        QCOMPARE(probe.channels, channels);
        QCOMPARE(probe.bitRate, 64000); // CBR at the bitrate the panel starts with
        const Mp3FrameWalk walk = Mp3FrameWalk::of(WavMaker::read(path(name)));
        QVERIFY(walk.ok);
        QCOMPARE(walk.channelMode, frameMode);
        QCOMPARE(walk.infoTag, "Info");
        QCOMPARE(probe.tags.value("title"), titles.at(i));
        QCOMPARE(probe.tags.value("album"), "tale");
        QCOMPARE(probe.tags.value("track"), tracks.at(i));
        QCOMPARE(probe.tags.value("language"), languages);
        QCOMPARE(probe.tags.value("date"), QString::number(QDate::currentDate().year()));
        QCOMPARE(probe.tags.value("encoder"), "Vemo");
        QVERIFY(host.captions.contains(" Конвертация " + path(QString(name).replace(".mp3", ".wav")) + " в " +
                                       path(name)));
    }
    QCOMPARE(host.finished.size(), expected.size());
    QCOMPARE(host.conversionDone.keys(), host.finished);
    QVERIFY(!host.conversionDone.values().contains(false));
}

// The audio frames of an MP3 file, without its ID3v2 tag.
QByteArray Mp3Frames(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    if (!all.startsWith("ID3") || all.size() < 10)
        return all;
    const auto b = [&](int i) { return qint64(uchar(all.at(i)) & 0x7f); };
    const qint64 tagSize = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
    return all.mid(tagSize);
}

// Parts are converted on other cores while the next part is spoken: every MP3 file holds
// exactly what converting its WAV file after the run gives, and the files are finished in
// part order.
void TestSpeakToFile::partsConvertedBesideSpeakingAsInTurn()
{
    QStringList texts;
    for (int i = 0; i < 12; ++i)
        texts << fragmentOf(700);
    FileRunHost mp3Host;
    mp3Host.setFragments(texts);
    const SpeakToFileSettings mp3 = settings(true, 1000, true);
    run(mp3Host, mp3);
    QVERIFY(QDir().mkdir(path("wav")));
    FileRunHost wavHost;
    wavHost.setFragments(texts);
    SpeakToFileSettings wav = settings(true, 1000);
    wav.streamFormatType = mp3.streamFormatType;
    run(wavHost, wav, "wav/tale.wav");
    const QStringList parts = QDir(path("wav")).entryList({"*.wav"}, QDir::Files, QDir::Name);
    QCOMPARE(parts.size(), 6); // two fragments a part
    QStringList expected;
    for (const QString& part : parts) {
        const QString name = QString(part).replace(".wav", ".mp3");
        expected << path(name);
        QCOMPARE(ConvertWavToMp3(path("wav/" + part), path("wav/" + name), mp3.encoderConfig), 0);
        const QByteArray frames = Mp3Frames(path(name));
        QVERIFY2(frames.size() > 1000, qPrintable(name));
        QVERIFY2(frames == Mp3Frames(path("wav/" + name)), qPrintable(name));
        QVERIFY(!QFileInfo::exists(path(part)));
    }
    QCOMPARE(mp3Host.finished, expected);
}

void TestSpeakToFile::subtitlesBesideEverySoundFile_data()
{
    QTest::addColumn<bool>("divide");
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<QStringList>("soundFiles");
    QTest::newRow("one WAV file") << false << false << QStringList{"tale.wav"};
    QTest::newRow("MP3 parts") << true << true << QStringList{"tale000.mp3", "tale001.mp3"};
}

// Beside every sound file stand its SRT and LRC subtitles: one cue (line) per sentence in
// the order of the text, each part timed from its own start, the last time at the end of
// its audio.
void TestSpeakToFile::subtitlesBesideEverySoundFile()
{
    QFETCH(bool, divide);
    QFETCH(bool, mp3);
    QFETCH(QStringList, soundFiles);
    const QStringList sentences{"One two three.", "Four five six seven!", "Eight nine?",
                                "Ten eleven twelve."};
    FileRunHost host;
    host.setFragments(
        {sentences.at(0) + ' ' + sentences.at(1) + ' ', sentences.at(2) + ' ' + sentences.at(3)});
    host.lists.FragmentOffsets = {"0", QString::number(host.lists.FragmentTexts.at(0).size())};
    run(host, settings(divide, 30, mp3));
    QStringList cues;
    for (const QString& sound : soundFiles) {
        const QString base = path(QFileInfo(sound).completeBaseName());
        QFile srt(base + ".srt");
        QVERIFY2(srt.open(QIODevice::ReadOnly), qPrintable(srt.fileName()));
        const QStringList blocks = QString::fromUtf8(srt.readAll()).split("\r\n\r\n", Qt::SkipEmptyParts);
        QVERIFY(!blocks.isEmpty());
        double last = 0;
        const QRegularExpression time(
            "(\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d) --> (\\d\\d):(\\d\\d):(\\d\\d),(\\d\\d\\d)");
        double start = -1;
        for (const QString& block : blocks) {
            const QStringList lines = block.split("\r\n");
            QCOMPARE(lines.size(), 3);
            const QRegularExpressionMatch m = time.match(lines.at(1));
            QVERIFY2(m.hasMatch(), qPrintable(lines.at(1)));
            const auto at = [&](int k) {
                return m.captured(k).toInt() * 3600 + m.captured(k + 1).toInt() * 60 +
                       m.captured(k + 2).toInt() + m.captured(k + 3).toInt() / 1000.0;
            };
            QVERIFY(at(1) >= last && at(5) >= at(1));
            if (start < 0)
                start = at(1);
            last = at(5);
            cues << lines.at(2);
        }
        QVERIFY2(start < 0.1, "every file's subtitles start again at its beginning");
        const SpeakToFileSettings wavFormat;
        const double seconds =
            mp3 ? Mp3Probe::of(path(sound)).duration
                : (QFileInfo(path(sound)).size() - 44) /
                      double(SpeechAudioFormat::FromType(wavFormat.streamFormatType)->BytesPerSecond());
        QVERIFY2(qAbs(last - seconds) < 0.1, qPrintable(QString("%1 against %2 s").arg(last).arg(seconds)));
        QFile lrc(base + ".lrc");
        QVERIFY(lrc.open(QIODevice::ReadOnly));
        const QString lyrics = QString::fromUtf8(lrc.readAll());
        QVERIFY2(
            lyrics.contains(QRegularExpression("^\\[\\d\\d:\\d\\d\\.\\d\\d\\]<\\d\\d:\\d\\d\\.\\d\\d>\\w+ <",
                                               QRegularExpression::MultilineOption)),
            qPrintable(lyrics));
    }
    QCOMPARE(cues, sentences);
}

void TestSpeakToFile::failedConversionKeepsWav()
{
    FileRunHost host;
    host.setFragments({"hello world"});
    run(host, settings(false, 1000, true), "tale.mp3"); // the MP3 would be the WAV itself
    QCOMPARE(host.conversionErrors,
             QStringList{" Ошибка при конвертации wav в mp3 ФАЙЛ !" + path("tale.mp3")});
    QCOMPARE(files(), QStringList{"tale.mp3"});
    QVERIFY(sizeOf(path("tale.mp3")) > 44);
    QVERIFY(host.finished.isEmpty());
}

void TestSpeakToFile::emptyText_data()
{
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("wav") << false << QStringList{"tale.wav"};
    QTest::newRow("mp3") << true << QStringList{"tale.mp3"};
}

void TestSpeakToFile::emptyText()
{
    QFETCH(bool, mp3);
    QFETCH(QStringList, expected);
    FileRunHost host;
    ToFileOptions options;
    options.chosenFileName = path("tale.wav");
    options.sound.mp3 = mp3;
    SpeakTextToFile(host, options, QString());
    QCOMPARE(files(), expected);
    if (!mp3)
        QCOMPARE(sizeOf(path("tale.wav")), 44);
    QVERIFY(host.spoken.isEmpty());
}

void TestSpeakToFile::xmlTextIsOneRussianFragment()
{
    FileRunHost host;
    ToFileOptions options;
    options.chosenFileName = path("tale.wav");
    options.xml = true;
    options.sound.divide = true;
    options.sound.partCharLimit = "0";
    const QString text = "<volume level=\"50\">Hello</volume> мир";
    SpeakTextToFile(host, options, text);
    QCOMPARE(host.spoken.size(), 1);
    QCOMPARE(host.spoken.first().lang, "R");
    QCOMPARE(host.spoken.first().text, text);
    QCOMPARE(host.spoken.first().flags, 9);
    QCOMPARE(files(), (QStringList{"tale000.wav", "tempTex.txt"}));
}

void TestSpeakToFile::stopToFile_data()
{
    QTest::addColumn<bool>("divide");
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("shown");
    // Stopped in the third fragment: what was spoken stays as WAV, no MP3 is made.
    QTest::newRow("whole") << false << 2 << QStringList{"tale.wav"} << 2;
    // The stopped fragment completes part 000: it is converted, no part 001 is opened.
    QTest::newRow("part complete") << true << 1 << QStringList{"tale000.mp3"} << 1;
    // Stopped in the first fragment of part 001: part 000 converted, 001 stays WAV.
    QTest::newRow("part open") << true << 2 << QStringList{"tale000.mp3", "tale001.wav"} << 2;
}

void TestSpeakToFile::stopToFile()
{
    QFETCH(bool, divide);
    QFETCH(int, stopAt);
    QFETCH(QStringList, expected);
    QFETCH(int, shown);
    FileRunHost host;
    host.setFragments(QStringList(5, fragmentOf(600)));
    host.eng.slowSlices = 3;
    host.eng.whileWaiting = [&] {
        if (host.spoken.size() == stopAt + 1)
            QTimer::singleShot(0, &host.eng, [&] { host.stop = true; });
    };
    run(host, settings(divide, 1000, true));
    QCOMPARE(files(), expected);
    QCOMPARE(host.spoken.size(), stopAt + 1);
    QVERIFY(host.eng.purges > 0);
    QCOMPARE(host.logEntries.size(), shown);
    QCOMPARE(host.captions.filter("фрагмент").last(), QString(" фрагмент %1 из 5").arg(shown));
    QVERIFY(!host.stream.IsOpen());
}

void TestSpeakToFile::voicesSpeakTheirStretchesInOneGo_data()
{
    QTest::addColumn<bool>("byVoice");
    QTest::addColumn<int>("ahead");
    QTest::addColumn<Parts>("order"); // of the fragments spoken
    // E R E R E R E, the Russian fragments shorter: the Russian voice speaks ahead.
    QTest::newRow("one stretch") << true << 1000 << Parts{1, 3, 5, 0, 2, 4, 6};
    QTest::newRow("stretches of three") << true << 3 << Parts{1, 0, 2, 3, 5, 4, 6};
    QTest::newRow("a stretch a fragment") << true << 1 << Parts{0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("in turn") << false << 1000 << Parts{0, 1, 2, 3, 4, 5, 6};
}

// Each voice speaks its fragments of a stretch one after another, the one with fewer
// characters first; the log, the progress and the files still follow the text.
void TestSpeakToFile::voicesSpeakTheirStretchesInOneGo()
{
    QFETCH(bool, byVoice);
    QFETCH(int, ahead);
    QFETCH(Parts, order);
    FileRunHost host;
    QStringList texts;
    for (int i = 0; i < 7; ++i)
        texts << QString("w%1 ").arg(i).repeated(i % 2 ? 5 : 12);
    host.setFragments(texts);
    for (int i = 1; i < 7; i += 2)
        host.lists.FragmentLangs[i] = "R";
    SpeakToFileSettings s = settings(false, 1000);
    s.speakByVoice = byVoice;
    s.aheadFragments = ahead;
    run(host, s);
    Parts spoken;
    for (const ProbeVoice::Spoken& fragment : host.spoken) {
        spoken << int(texts.indexOf(fragment.text));
        QCOMPARE(fragment.lang, host.lists.FragmentLangs.at(spoken.last()));
    }
    QCOMPARE(spoken, order);
    QCOMPARE(host.logEntries.size(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(host.logEntries.at(i), host.lists.FragmentLangs.at(i) + "\r\n" + texts.at(i) + "\r\n");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).filter(".wav"),
             QStringList{"tale.wav"});
    QVERIFY(sizeOf(path("tale.wav")) > 44 + 40 * texts.join(QString()).size());
}

// A stop while a voice speaks ahead ends the file after the last fragment placed in it: here
// none, and the file stays as WAV; the held audio goes.
void TestSpeakToFile::stopWhileSpeakingAhead()
{
    FileRunHost host;
    host.setFragments({fragmentOf(600), fragmentOf(300), fragmentOf(600), fragmentOf(300)});
    host.lists.FragmentLangs[1] = "R";
    host.lists.FragmentLangs[3] = "R";
    host.ru.slowSlices = 3;
    host.ru.whileWaiting = [&] { QTimer::singleShot(0, &host.ru, [&] { host.stop = true; }); };
    run(host, settings(false, 1000, true));
    QCOMPARE(host.spoken.size(), 1);
    QCOMPARE(host.spoken.first().lang, "R");
    QVERIFY(host.ru.purges > 0);
    QCOMPARE(files(), QStringList{"tale.wav"});
    QVERIFY(QDir(m_dir->path()).entryList({".vemo-ahead*"}, QDir::Files | QDir::Hidden).isEmpty());
    QCOMPARE(sizeOf(path("tale.wav")), 44);
    QVERIFY(host.logEntries.isEmpty());
    QVERIFY(!host.stream.IsOpen());
}

void TestSpeakToFile::missingFolderNamesTheFile()
{
    FileRunHost host;
    host.setFragments({"hello"});
    try {
        run(host, settings(false, 1000), "no such folder/tale.wav");
        QFAIL("no error");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(path("no such folder/tale.wav")), qPrintable(e.Message()));
    }
    QVERIFY(host.spoken.isEmpty());
}

// Under a file size limit the writes fail: the run ends with an error naming the file,
// nothing is converted, the stream is closed, and what was written stays under the
// temporary name, never under the final one.
void TestSpeakToFile::fullDiskEndsTheRun()
{
    FileRunHost host;
    host.setFragments(QStringList(20, fragmentOf(600)));
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 200 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        run(host, settings(false, 1000, true));
    } catch (const VemoError& e) {
        message = e.Message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY2(message.contains(path("tale.wav")), qPrintable(message));
    QCOMPARE(files(), QStringList{"tale.wav.part"});
    QVERIFY(host.finished.isEmpty());
    QVERIFY(!host.stream.IsOpen());
}

QTEST_GUILESS_MAIN(TestSpeakToFile)
#include "tst_speaktofile.moc"

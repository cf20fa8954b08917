#include "Mp3FrameWalk.h"
#include "Mp3Probe.h"
#include "WavMaker.h"
#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "soundfile/FillEncoderConfig.h"
#include "soundfile/LameEnc.h"
#include "soundfile/MP3export.h"
#include "soundfile/Mp3Tables.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <unistd.h>

using Tags = QMap<QString, QString>;
Q_DECLARE_METATYPE(Mp3Tags)

class TestMp3Export : public QObject
{
    Q_OBJECT

private slots:
    // The messages checked here are the window's, which are Russian whatever the locale.
    void initTestCase() { KeepMessagesInRussian(); }
    void init();
    void realMp3_data();
    void realMp3();
    void durationMatchesDecodedLength_data();
    void durationMatchesDecodedLength();
    void tagsReadBack_data();
    void tagsReadBack();
    void everyModeEncodes_data();
    void everyModeEncodes();
    void spokenWav();
    void chunkArithmetic_data();
    void chunkArithmetic();
    void oddHeaders_data();
    void oddHeaders();
    void refusals_data();
    void refusals();
    void shortHeaderIsAReadError();
    void existingMp3IsReplaced();
    void fullDiskKeepsWav();
    void windowMessagesRunDuringConversion();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

EncoderConfig config(int rateItem, int modeItem, int bitrateItem = 11, int channelsItem = 1)
{
    Mp3Choices choices;
    choices.sampleRateItem = rateItem;
    choices.modeItem = modeItem;
    choices.bitrateItem = bitrateItem;
    choices.bitrateMaxItem = 14;
    choices.channelsItem = channelsItem;
    choices.vbrQuality = 5;
    choices.qualityItem = 7;
    return FillEncoderConfig(choices).config;
}

int rateOf(int rateItem)
{
    return int(Mp3Tables::sampleRate(rateItem).rate);
}
int frameSize(int rate)
{
    return rate >= 32000 ? 1152 : 576;
}

// LAME puts 1105 samples of delay in front and pads the end to whole frames; without a
// tag frame a decoder plays both, so the decoded length lies within these bounds.
bool lengthFits(const Mp3Probe& probe, int rate, qint64 inputFrames)
{
    const qint64 decoded = probe.frames * frameSize(rate);
    return decoded >= inputFrames && decoded <= inputFrames + 1105 + 2 * frameSize(rate);
}

} // namespace

void TestMp3Export::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestMp3Export::realMp3_data()
{
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("wavChannels");
    QTest::addColumn<int>("channelsItem");
    QTest::addColumn<int>("modeItem");
    QTest::addColumn<int>("bitrateItem");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("kbps"); // 0: variable, not checked
    QTest::addColumn<int>("frameMode");
    QTest::addColumn<QByteArray>("infoTag"); // empty: a frame too small to hold the info
    using W = Mp3FrameWalk;
    QTest::newRow("CBR 128 kbps 44100 Hz stereo")
        << 7 << 2 << 1 << 0 << 11 << 2 << 128 << int(W::Stereo) << QByteArray("Info");
    QTest::newRow("CBR 32 kbps 22050 Hz mono")
        << 4 << 1 << 0 << 0 << 3 << 1 << 32 << int(W::Mono) << QByteArray();
    QTest::newRow("CBR 8 kbps 8000 Hz mono")
        << 0 << 1 << 0 << 0 << 0 << 1 << 8 << int(W::Mono) << QByteArray();
    QTest::newRow("CBR 56 kbps 22050 Hz mono")
        << 4 << 1 << 0 << 0 << 6 << 1 << 56 << int(W::Mono) << QByteArray("Info");
    QTest::newRow("CBR 320 kbps 48000 Hz stereo")
        << 8 << 2 << 1 << 0 << 17 << 2 << 320 << int(W::Stereo) << QByteArray("Info");
    QTest::newRow("ABR 64 kbps 22050 Hz")
        << 4 << 2 << 1 << 1 << 7 << 2 << 0 << int(W::Stereo) << QByteArray("Xing");
    QTest::newRow("VBR 32000 Hz") << 6 << 2 << 1 << 2 << 7 << 2 << 0 << int(W::Stereo) << QByteArray("Xing");
    QTest::newRow("VBR 8000 Hz mono")
        << 0 << 1 << 0 << 2 << 7 << 1 << 0 << int(W::Mono) << QByteArray("Xing");
    QTest::newRow("mode never picked 16000 Hz")
        << 3 << 2 << 1 << -1 << 7 << 2 << 0 << int(W::Stereo) << QByteArray("Xing");
    QTest::newRow("joint stereo stays joint")
        << 7 << 2 << 2 << 0 << 11 << 2 << 128 << int(W::JointStereo) << QByteArray("Info");
    QTest::newRow("joint stereo VBR stays joint")
        << 4 << 2 << 2 << 2 << 7 << 2 << 0 << int(W::JointStereo) << QByteArray("Xing");
    QTest::newRow("joint stereo asked, mono WAV")
        << 5 << 1 << 2 << 0 << 7 << 1 << 64 << int(W::Mono) << QByteArray("Info");
    QTest::newRow("mono asked, stereo WAV")
        << 7 << 2 << 0 << 0 << 11 << 2 << 128 << int(W::Stereo) << QByteArray("Info");
    QTest::newRow("LQP_CBR at the chosen 96 kbps")
        << 7 << 2 << 1 << 16 << 9 << 2 << 96 << int(W::Stereo) << QByteArray("Info");
    QTest::newRow("LQP_CBR at the chosen 64 kbps, mono")
        << 4 << 1 << 0 << 16 << 7 << 1 << 64 << int(W::Mono) << QByteArray("Info");
}

void TestMp3Export::realMp3()
{
    QFETCH(int, rateItem);
    QFETCH(int, wavChannels);
    QFETCH(int, channelsItem);
    QFETCH(int, modeItem);
    QFETCH(int, bitrateItem);
    QFETCH(int, channels);
    QFETCH(int, kbps);
    QFETCH(int, frameMode);
    QFETCH(QByteArray, infoTag);
    const int rate = rateOf(rateItem);
    const int inputFrames = rate * 3 / 2;
    QVERIFY(WavMaker::writeTone(path("in.wav"), rate, wavChannels, inputFrames));
    const EncoderConfig c = config(rateItem, modeItem, bitrateItem, channelsItem);
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), c), Mp3Result::Done);
    const Mp3Probe probe = Mp3Probe::of(path("out.mp3"));
    QVERIFY(probe.ok);
    QCOMPARE(probe.sampleRate, rate);
    QCOMPARE(probe.channels, channels);
    if (kbps > 0) {
        QCOMPARE(probe.bitRate, qint64(kbps) * 1000);
    }
    QVERIFY2(lengthFits(probe, rate, inputFrames), qPrintable(QString::number(probe.frames)));
    const Mp3FrameWalk walk = Mp3FrameWalk::of(WavMaker::read(path("out.mp3")));
    QVERIFY(walk.ok);
    QCOMPARE(walk.channelMode, frameMode);
    QCOMPARE(walk.infoTag, infoTag);
    if (!infoTag.isEmpty())
        QCOMPARE(walk.infoFrameCount, qint64(walk.frames));
    QCOMPARE(probe.tags.value("encoder"), "Vemo");
}

// With the info frame players show the length the decoder plays, also for variable
// bitrates; a minute of sound keeps the encoder's delay and padding (under 0.1 s, counted
// by ffprobe but not played) within the bound.
void TestMp3Export::durationMatchesDecodedLength_data()
{
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("modeItem");
    QTest::newRow("CBR 22050 Hz mono") << 4 << 1 << 0;
    QTest::newRow("ABR 22050 Hz mono") << 4 << 1 << 1;
    QTest::newRow("VBR 22050 Hz mono") << 4 << 1 << 2;
    QTest::newRow("CBR 44100 Hz stereo") << 7 << 2 << 0;
    QTest::newRow("ABR 44100 Hz stereo") << 7 << 2 << 1;
    QTest::newRow("VBR 44100 Hz joint stereo") << 7 << 2 << 2;
    QTest::newRow("LQP_STANDARD 44100 Hz stereo") << 7 << 2 << 10;
}

void TestMp3Export::durationMatchesDecodedLength()
{
    QFETCH(int, rateItem);
    QFETCH(int, channels);
    QFETCH(int, modeItem);
    const int rate = rateOf(rateItem);
    QVERIFY(WavMaker::writeVaried(path("in.wav"), rate, channels, rate * 60));
    const EncoderConfig c = config(rateItem, modeItem, 7, channels == 1 ? 0 : 2);
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), c), Mp3Result::Done);
    const Mp3Probe probe = Mp3Probe::of(path("out.mp3"));
    QVERIFY(probe.ok);
    QCOMPARE(probe.channels, channels);
    const qint64 decoded = Mp3Probe::decodedFrames(path("out.mp3"), channels);
    QVERIFY2(decoded >= rate * 60, qPrintable(QString::number(decoded)));
    const double seconds = double(decoded) / rate;
    QVERIFY2(std::abs(probe.duration - seconds) <= seconds * 0.002,
             qPrintable(QStringLiteral("ffprobe %1 s, decoded %2 s").arg(probe.duration).arg(seconds)));
}

void TestMp3Export::tagsReadBack_data()
{
    QTest::addColumn<Mp3Tags>("tags");
    QTest::addColumn<Tags>("expected");
    QTest::newRow("a part") << Mp3Tags{"Сказка 001", "Сказки", 2, 5, 2026, "ruseng"}
                            << Tags{{"title", "Сказка 001"}, {"album", "Сказки"},    {"track", "2/5"},
                                    {"date", "2026"},        {"language", "ruseng"}, {"encoder", "Vemo"}};
    QTest::newRow("a whole text") << Mp3Tags{"tale", "tale", 0, 0, 2025, "eng"}
                                  << Tags{{"title", "tale"},
                                          {"album", "tale"},
                                          {"date", "2025"},
                                          {"language", "eng"},
                                          {"encoder", "Vemo"}};
    QTest::newRow("nothing but the encoder") << Mp3Tags{} << Tags{{"encoder", "Vemo"}};
}

void TestMp3Export::tagsReadBack()
{
    QFETCH(Mp3Tags, tags);
    QFETCH(Tags, expected);
    QVERIFY(WavMaker::writeTone(path("in.wav"), 22050, 1, 22050));
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(4, 0, 7, 0), tags), Mp3Result::Done);
    const Mp3Probe probe = Mp3Probe::of(path("out.mp3"));
    QVERIFY(probe.ok);
    QCOMPARE(probe.tags, expected);
    const Mp3FrameWalk walk = Mp3FrameWalk::of(WavMaker::read(path("out.mp3")));
    QVERIFY(walk.ok && walk.tagSize > 10);
    QCOMPARE(walk.infoTag, "Info");
}

void TestMp3Export::everyModeEncodes_data()
{
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("modeItem");
    const QStringList modes = Mp3Tables::modeTexts();
    for (int rateItem : {4, 7}) {
        for (int mode = 0; mode < modes.size(); ++mode) {
            QTest::addRow("%d Hz %s", rateOf(rateItem), qPrintable(modes[mode])) << rateItem << mode;
        }
    }
}

void TestMp3Export::everyModeEncodes()
{
    QFETCH(int, rateItem);
    QFETCH(int, modeItem);
    const int rate = rateOf(rateItem);
    QVERIFY(WavMaker::writeTone(path("in.wav"), rate, 2, rate / 2));
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(rateItem, modeItem)), Mp3Result::Done);
    const Mp3FrameWalk walk = Mp3FrameWalk::of(WavMaker::read(path("out.mp3")));
    QVERIFY(walk.ok);
    QCOMPARE(walk.sampleRate, rate);
    const qint64 decoded = qint64(walk.frames) * frameSize(rate);
    QVERIFY(decoded >= rate / 2 && decoded <= rate / 2 + 1105 + 2 * frameSize(rate));
}

void TestMp3Export::spokenWav()
{
    QProcess espeak;
    espeak.start("espeak-ng",
                 {"-v", "ru", "-w", path("speech.wav"), "Проверка записи в файл, one two three."});
    QVERIFY(espeak.waitForFinished(30000) && espeak.exitCode() == 0);
    const QByteArray wav = WavMaker::read(path("speech.wav"));
    QVERIFY(wav.size() > 44 + 22050);
    QCOMPARE(ConvertWavToMp3(path("speech.wav"), path("speech.mp3"), config(4, 0, 7)), Mp3Result::Done);
    const Mp3Probe probe = Mp3Probe::of(path("speech.mp3"));
    QVERIFY(probe.ok);
    QCOMPARE(probe.channels, 1);
    QCOMPARE(probe.sampleRate, 22050);
    QCOMPARE(probe.bitRate, 64000);
    QVERIFY(lengthFits(probe, 22050, (wav.size() - 44) / 2));
    QCOMPARE(WavMaker::read(path("speech.wav")), wav);
}

void TestMp3Export::chunkArithmetic_data()
{
    QTest::addColumn<int>("fullChunks");
    QTest::addColumn<int>("riffPastData");
    QTest::addColumn<int>("messageBreaks");
    // 36: the RIFF size of a canonical file, asking for 36 bytes past the data.
    QTest::newRow("63 chunks and a 36-byte tail") << 63 << 36 << 1;
    QTest::newRow("63 chunks exactly") << 63 << 0 << 0;
    QTest::newRow("64 chunks and a tail") << 64 << 36 << 1;
    QTest::newRow("127 chunks and a tail") << 127 << 36 << 2;
    QTest::newRow("127 chunks exactly") << 127 << 0 << 1;
    QTest::newRow("128 chunks exactly") << 128 << 0 << 2;
}

void TestMp3Export::chunkArithmetic()
{
    QFETCH(int, fullChunks);
    QFETCH(int, riffPastData);
    QFETCH(int, messageBreaks);
    const int s = 2304; // samples per chunk of 44100 Hz stereo
    const QByteArray data = WavMaker::tone(44100, 2, s / 2 * fullChunks);
    QVERIFY(WavMaker::write(
        path("in.wav"),
        WavMaker::header(qint32(data.size() + riffPastData), 2, 44100, qint32(data.size())) + data));
    int breaks = 0;
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(7, 0), [&breaks] { ++breaks; }),
             Mp3Result::Done);
    QCOMPARE(breaks, messageBreaks);
    const Mp3Probe probe = Mp3Probe::of(path("out.mp3"));
    QVERIFY(lengthFits(probe, 44100, s / 2 * fullChunks + riffPastData / 4));
}

void TestMp3Export::oddHeaders_data()
{
    QTest::addColumn<qint32>("riffSize"); // -1 stands for the true size
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("maxFrames"); // MP3 frames the result may hold
    QTest::addColumn<int>("probedChannels");
    QTest::newRow("RIFF size 0: only the flush") << 0 << 2 << 2 << 0;
    // Read unsigned, a size with the top bit set is a length past the file: what the file
    // holds is encoded, as for any size that runs past the end.
    QTest::newRow("RIFF size over 2 GB") << qint32(-1000) << 2 << 44 << 2;
    QTest::newRow("RIFF size far past the file") << qint32(0x7FFFFFFF) << 2 << 44 << 2;
    QTest::newRow("RIFF size a little past the file") << qint32(88200 + 4000) << 2 << 44 << 2;
    QTest::newRow("0 channels taken as stereo") << -1 << 0 << 44 << 2;
    QTest::newRow("7 channels taken as stereo") << -1 << 7 << 44 << 2;
}

void TestMp3Export::oddHeaders()
{
    QFETCH(qint32, riffSize);
    QFETCH(int, channels);
    QFETCH(int, maxFrames);
    QFETCH(int, probedChannels);
    const QByteArray data = WavMaker::tone(22050, 2, 22050); // one second, 88200 bytes
    const qint32 size = riffSize == -1 ? qint32(data.size() + 36) : riffSize;
    QVERIFY(
        WavMaker::write(path("in.wav"), WavMaker::header(size, channels, 22050, qint32(data.size())) + data));
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(4, 0)), Mp3Result::Done);
    const Mp3Probe probe = Mp3Probe::of(path("out.mp3"));
    QVERIFY2(probe.frames <= maxFrames, qPrintable(QString::number(probe.frames)));
    if (probedChannels > 0) {
        QCOMPARE(probe.channels, probedChannels);
        QVERIFY(lengthFits(probe, 22050, 22050));
    }
}

void TestMp3Export::refusals_data()
{
    QTest::addColumn<QString>("wavName");
    QTest::addColumn<QString>("mp3Name");
    QTest::addColumn<bool>("goodRecord");
    QTest::addColumn<int>("result");
    QTest::newRow("WAV missing") << "missing.wav"
                                 << "out.mp3" << true << int(Mp3Result::WavNotOpened);
    QTest::newRow("WAV is a folder") << "folder"
                                     << "out.mp3" << true << int(Mp3Result::WavNotOpened);
    QTest::newRow("MP3 folder missing") << "in.wav"
                                        << "nowhere/out.mp3" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("MP3 is a folder") << "in.wav"
                                     << "folder" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("MP3 is the WAV") << "in.wav"
                                    << "in.wav" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("MP3 is the WAV by another path")
        << "in.wav"
        << "folder/../in.wav" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("MP3 is a link to the WAV") << "in.wav"
                                              << "link.wav" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("MP3 is a hard link to the WAV") << "in.wav"
                                                   << "hard.wav" << true << int(Mp3Result::Mp3NotCreated);
    QTest::newRow("encoder refuses the record") << "in.wav"
                                                << "out.mp3" << false << int(Mp3Result::EncoderRefused);
}

void TestMp3Export::refusals()
{
    QFETCH(QString, wavName);
    QFETCH(QString, mp3Name);
    QFETCH(bool, goodRecord);
    QFETCH(int, result);
    QVERIFY(WavMaker::writeTone(path("in.wav"), 22050, 2, 22050));
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    QVERIFY(QFile::link(path("in.wav"), path("link.wav")));
    QCOMPARE(::link(QFile::encodeName(path("in.wav")).constData(),
                    QFile::encodeName(path("hard.wav")).constData()),
             0);
    const QByteArray before = WavMaker::read(path("in.wav"));
    EncoderConfig c = config(4, 0);
    if (!goodRecord) {
        c.SetDword(EncoderConfig::dwSampleRate, 0);
    }
    QCOMPARE(ConvertWavToMp3(path(wavName), path(mp3Name), c), result);
    QCOMPARE(WavMaker::read(path("in.wav")), before);
    QVERIFY(!QFileInfo::exists(path("out.mp3")));
}

void TestMp3Export::shortHeaderIsAReadError()
{
    QVERIFY(WavMaker::write(path("short.wav"), WavMaker::header(1000, 2, 22050, 1000).left(30)));
    try {
        ConvertWavToMp3(path("short.wav"), path("out.mp3"), config(4, 0));
        QFAIL("a 30-byte file converted");
    } catch (const VemoError& e) {
        QCOMPARE(e.Message(), "Ошибка чтения из файла " + path("short.wav"));
    }
    QVERIFY(!QFileInfo::exists(path("out.mp3")));
}

void TestMp3Export::existingMp3IsReplaced()
{
    QVERIFY(WavMaker::writeTone(path("in.wav"), 44100, 2, 44100));
    QVERIFY(WavMaker::write(path("out.mp3"), QByteArray(500000, 'x')));
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(7, 0)), Mp3Result::Done);
    const QByteArray mp3 = WavMaker::read(path("out.mp3"));
    QVERIFY(mp3.size() < 30000 && !mp3.contains("xxxx"));
    QVERIFY(Mp3Probe::of(path("out.mp3")).ok);
}

void TestMp3Export::fullDiskKeepsWav()
{
    QVERIFY(WavMaker::writeTone(path("in.wav"), 44100, 2, 44100 * 3));
    const QByteArray before = WavMaker::read(path("in.wav"));
    QStringList targets{"/dev/full"};
    QVERIFY(QDir(m_dir->path()).mkdir("small"));
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", path("small")});
    const bool mounted = mount.waitForFinished(10000) && mount.exitCode() == 0;
    if (mounted) {
        targets << path("small/out.mp3");
    }
    for (const QString& target : targets) {
        try {
            ConvertWavToMp3(path("in.wav"), target, config(7, 0));
            QFAIL(qPrintable("no error on " + target));
        } catch (const VemoError& e) {
            QCOMPARE(e.Message(), " Ошибка записи в файл " + target);
        }
        QCOMPARE(WavMaker::read(path("in.wav")), before);
    }
    if (mounted) {
        QProcess::execute("umount", {path("small")});
    } else {
        qWarning("tmpfs not mountable here: only /dev/full tried");
    }
}

void TestMp3Export::windowMessagesRunDuringConversion()
{
    QVERIFY(WavMaker::writeTone(path("in.wav"), 44100, 2, 2304 / 2 * 70));
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    QCOMPARE(ConvertWavToMp3(path("in.wav"), path("out.mp3"), config(7, 0)), Mp3Result::Done);
    QVERIFY(ran);
}

QTEST_GUILESS_MAIN(TestMp3Export)
#include "tst_mp3export.moc"

#include "Mp3FrameWalk.h"
#include "Mp3Probe.h"
#include "WavMaker.h"
#include "soundfile/FillEncoderConfig.h"
#include "soundfile/MP3export.h"
#include "soundfile/Mp3Frames.h"
#include "soundfile/Mp3PieceConversion.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

Q_DECLARE_METATYPE(EncoderConfig)

// A long file is encoded in pieces on several threads and joined into one stream. The
// pieces are checked against one encoder's output of the same samples: the same frames and
// decoded length, a stream every header of which is valid and which ffmpeg decodes without
// a complaint, the same quality against the source, no click where pieces join, and the
// same bytes whatever the number of threads.
class TestMp3Pieces : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void frameHeaders_data();
    void frameHeaders();
    void piecesMatchOneEncoder_data();
    void piecesMatchOneEncoder();
    void longFileIsConvertedInPieces();
    void shortFileKeepsOneEncoder();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

EncoderConfig config(int rateItem, int modeItem, int bitrateItem, int channelsItem)
{
    Mp3Choices choices;
    choices.sampleRateItem = rateItem;
    choices.modeItem = modeItem;
    choices.bitrateItem = bitrateItem;
    choices.bitrateMaxItem = 14;
    choices.channelsItem = channelsItem;
    choices.vbrQuality = 4;
    choices.qualityItem = 2;
    EncoderConfig c = FillEncoderConfig(choices).config;
    if (channelsItem == 0)
        c.SetInt32(EncoderConfig::nMode, EncoderConfig::ModeMono);
    return c;
}

// Layer III pieces short enough for a test: about 4 s at 22,050 Hz.
constexpr Mp3PieceLayout TestLayout{160, 16, 8, 24};

// The 16-bit samples ffmpeg decodes (interleaved), with what it complained about.
struct Decoded
{
    std::vector<qint16> samples;
    QString errors;
    bool ok = false;
};

Decoded decode(const QString& fileName)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-err_detect",
                                            "crccheck+bitstream+buffer", "-i", fileName, "-f", "s16le", "-"});
    QByteArray bytes;
    while (ffmpeg.waitForReadyRead(20000))
        bytes += ffmpeg.readAllStandardOutput();
    ffmpeg.waitForFinished(20000);
    bytes += ffmpeg.readAllStandardOutput();
    Decoded d;
    d.errors = QString::fromUtf8(ffmpeg.readAllStandardError()).trimmed();
    d.ok = ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
    d.samples.resize(std::size_t(bytes.size() / 2));
    for (std::size_t i = 0; i < d.samples.size(); ++i)
        d.samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    return d;
}

std::vector<qint16> wavSamples(const QString& fileName)
{
    const QByteArray wav = WavMaker::read(fileName);
    std::vector<qint16> samples(std::size_t((wav.size() - 44) / 2));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * i);
    return samples;
}

double rmsOfDifference(const std::vector<qint16>& a, const std::vector<qint16>& b, qint64 from, qint64 to)
{
    double sum = 0;
    for (qint64 i = from; i < to; ++i) {
        const double d = double(a[std::size_t(i)]) - b[std::size_t(i)];
        sum += d * d;
    }
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

double snrDb(const std::vector<qint16>& source, const std::vector<qint16>& decoded)
{
    const qint64 n = qint64(qMin(source.size(), decoded.size()));
    const std::vector<qint16> silence(source.size(), 0);
    const double signal = rmsOfDifference(source, silence, 0, n);
    return 20 * std::log10(signal / rmsOfDifference(source, decoded, 0, n));
}

QByteArray piecesOf(const QString& wavName, const QString& mp3Name, const EncoderConfig& c, int threads,
                    std::vector<qint64>* joins)
{
    const QByteArray wav = WavMaker::read(wavName);
    Mp3PieceInput input;
    input.wavName = wavName;
    input.channels = qFromLittleEndian<quint16>(wav.constData() + 22) == 1 ? 1 : 2;
    input.dataBytes = wav.size() - 44;
    input.sampleFrames = input.dataBytes / 2 / input.channels;
    QFile mp3(mp3Name);
    if (!mp3.open(QIODevice::ReadWrite | QIODevice::Truncate) ||
        !EncodeMp3InPieces(input, mp3, c, Mp3Tags{}, {}, threads, TestLayout, joins))
        return {};
    mp3.close();
    return WavMaker::read(mp3Name);
}

bool writeSpeech(const QString& wavName)
{
    QProcess espeak;
    espeak.start("espeak-ng", {"-v", "ru", "-w", wavName,
                               "Файл делится на части, и каждая часть кодируется отдельно. Потом части "
                               "соединяются в один поток, и никто не должен услышать шва. The pieces are "
                               "joined where the speech is quiet, one two three four five six seven. "
                               "Проверка, проверка, раз, два, три, четыре, пять. Каждая часть начинается "
                               "раньше своего места, чтобы кодировщик успел настроиться."});
    return espeak.waitForFinished(30000) && espeak.exitCode() == 0;
}

} // namespace

void TestMp3Pieces::frameHeaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length"); // 0: no Layer III header
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("mainDataStart");
    QTest::newRow("MPEG-2 64 kbps 22,050 Hz mono")
        << QByteArray("\xFF\xF3\x80\xC0", 4) << 208 << 576 << 1 << 13;
    QTest::newRow("the same padded") << QByteArray("\xFF\xF3\x82\xC0", 4) << 209 << 576 << 1 << 13;
    QTest::newRow("MPEG-1 128 kbps 44,100 Hz joint stereo with CRC")
        << QByteArray("\xFF\xFA\x90\x40", 4) << 417 << 1152 << 2 << 38;
    QTest::newRow("MPEG-2.5 8 kbps 8,000 Hz mono")
        << QByteArray("\xFF\xE3\x18\xC0", 4) << 72 << 576 << 1 << 13;
    QTest::newRow("MPEG-2 stereo") << QByteArray("\xFF\xF3\x80\x00", 4) << 208 << 576 << 2 << 21;
    QTest::newRow("Layer II") << QByteArray("\xFF\xFD\x90\x40", 4) << 0 << 0 << 0 << 0;
    QTest::newRow("free format") << QByteArray("\xFF\xFB\x00\x40", 4) << 0 << 0 << 0 << 0;
    QTest::newRow("reserved version") << QByteArray("\xFF\xEB\x90\x40", 4) << 0 << 0 << 0 << 0;
    QTest::newRow("reserved sample rate") << QByteArray("\xFF\xFB\x9C\x40", 4) << 0 << 0 << 0 << 0;
    QTest::newRow("no sync") << QByteArray("\xFF\x1B\x90\x40", 4) << 0 << 0 << 0 << 0;
    QTest::newRow("cut short") << QByteArray("\xFF\xFB\x90", 3) << 0 << 0 << 0 << 0;
}

void TestMp3Pieces::frameHeaders()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    QFETCH(int, samples);
    QFETCH(int, channels);
    QFETCH(int, mainDataStart);
    const auto header = ReadMp3FrameHeader(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                           std::size_t(bytes.size()));
    QCOMPARE(header.has_value(), length > 0);
    if (!header)
        return;
    QCOMPARE(header->length, length);
    QCOMPARE(header->samples, samples);
    QCOMPARE(header->channels, channels);
    QCOMPARE(header->MainDataStart(), mainDataStart);
}

void TestMp3Pieces::piecesMatchOneEncoder_data()
{
    QTest::addColumn<QString>("source"); // "speech" or "varied"
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<EncoderConfig>("encoder");
    QTest::newRow("speech, the dialog's defaults") << "speech" << 22050 << 1 << config(4, 0, 7, 0);
    QTest::newRow("tone and noise, 22,050 Hz mono") << "varied" << 22050 << 1 << config(4, 0, 7, 0);
    QTest::newRow("tone and noise, 44,100 Hz joint stereo 128 kbps")
        << "varied" << 44100 << 2 << config(7, 0, 11, 2);
    QTest::newRow("tone and noise, 11,025 Hz mono 32 kbps") << "varied" << 11025 << 1 << config(1, 0, 3, 0);
    QTest::newRow("tone and noise, 44,100 Hz stereo VBR") << "varied" << 44100 << 2 << config(7, 2, 11, 1);
}

void TestMp3Pieces::piecesMatchOneEncoder()
{
    QFETCH(QString, source);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(EncoderConfig, encoder);
    const QString wav = path("in.wav");
    if (source == u"speech")
        QVERIFY(writeSpeech(wav));
    else
        QVERIFY(WavMaker::writeVaried(wav, rate, channels, rate * 30));
    std::vector<qint64> joins;
    const QByteArray pieces = piecesOf(wav, path("pieces.mp3"), encoder, 2, &joins);
    QVERIFY(!pieces.isEmpty());
    QVERIFY2(joins.size() >= 2, qPrintable(QString::number(joins.size())));
    QCOMPARE(piecesOf(wav, path("one-thread.mp3"), encoder, 1, nullptr), pieces);

    // One encoder for the whole file, as a file too short for pieces is converted; the WAV's
    // RIFF size is cut to its data so that both encode the same samples.
    QByteArray whole = WavMaker::read(wav);
    qToLittleEndian<quint32>(quint32(whole.size() - 8 - 36), whole.data() + 4);
    QVERIFY(WavMaker::write(path("whole.wav"), whole));
    QCOMPARE(ConvertWavToMp3(path("whole.wav"), path("whole.mp3"), encoder), Mp3Result::Done);

    const Mp3FrameWalk walk = Mp3FrameWalk::of(pieces);
    const Mp3FrameWalk wholeWalk = Mp3FrameWalk::of(WavMaker::read(path("whole.mp3")));
    QVERIFY(walk.ok && wholeWalk.ok);
    QCOMPARE(walk.frames, wholeWalk.frames);
    QCOMPARE(walk.infoFrameCount, qint64(walk.frames));

    const Decoded decoded = decode(path("pieces.mp3"));
    const Decoded reference = decode(path("whole.mp3"));
    QVERIFY2(decoded.ok && decoded.errors.isEmpty(), qPrintable(decoded.errors));
    QVERIFY(reference.ok);
    const std::vector<qint16> input = wavSamples(wav);
    QCOMPARE(decoded.samples.size(), input.size());
    QCOMPARE(reference.samples.size(), input.size());

    const double snr = snrDb(input, decoded.samples);
    const double wholeSnr = snrDb(input, reference.samples);
    QVERIFY2(snr >= wholeSnr - 0.3,
             qPrintable(QStringLiteral("%1 dB, one encoder %2 dB").arg(snr).arg(wholeSnr)));

    // Around each join (two frames each way, where the decoder overlaps frames of both
    // pieces) the pieces' error against the source stays that of one encoder, and they differ
    // from one encoder's output no more than they do elsewhere.
    const int frameSamples = rate >= 32000 ? 1152 : 576;
    const qint64 n = qint64(input.size());
    const qint64 window = 4 * frameSamples * channels;
    double largestElsewhere = 0;
    for (qint64 from = 0; from + window <= n; from += window)
        largestElsewhere =
            qMax(largestElsewhere, rmsOfDifference(decoded.samples, reference.samples, from, from + window));
    for (const qint64 join : joins) {
        const qint64 centre = (join * frameSamples - 1105) * channels;
        const qint64 from = qBound<qint64>(0, centre - window / 2, n);
        const qint64 to = qBound<qint64>(0, centre + window / 2, n);
        const double error = rmsOfDifference(decoded.samples, input, from, to);
        const double wholeError = rmsOfDifference(reference.samples, input, from, to);
        QVERIFY2(
            error <= 1.5 * wholeError + 4,
            qPrintable(QStringLiteral("frame %1: %2, one encoder %3").arg(join).arg(error).arg(wholeError)));
        QVERIFY(rmsOfDifference(decoded.samples, reference.samples, from, to) <= largestElsewhere);
    }
}

// Through ConvertWavToMp3: a file of over two default pieces (about 3.6 minutes) is
// converted in pieces, with its tags and an info frame that tells the true length, and
// the same bytes on one thread as on two.
void TestMp3Pieces::longFileIsConvertedInPieces()
{
    const int rate = 22050;
    const int frames = rate * 220;
    QVERIFY(WavMaker::writeVaried(path("long.wav"), rate, 1, frames));
    const EncoderConfig encoder = config(4, 0, 7, 0);
    const Mp3Tags tags{"Сказка", "Сказки", 0, 0, 2026, "rus"};
    QCOMPARE(ConvertWavToMp3(path("long.wav"), path("two.mp3"), encoder, tags, {}, 2), Mp3Result::Done);
    QCOMPARE(ConvertWavToMp3(path("long.wav"), path("one.mp3"), encoder, tags, {}, 1), Mp3Result::Done);
    const QByteArray mp3 = WavMaker::read(path("two.mp3"));
    QCOMPARE(WavMaker::read(path("one.mp3")), mp3);

    // The same bytes as the pieces made directly: the conversion did cut the file.
    Mp3PieceInput input{path("long.wav"), frames + 18, qint64(frames) * 2, 1};
    QFile direct(path("direct.mp3"));
    QVERIFY(direct.open(QIODevice::ReadWrite | QIODevice::Truncate));
    QVERIFY(EncodeMp3InPieces(input, direct, encoder, tags, {}, 2));
    direct.close();
    QCOMPARE(WavMaker::read(path("direct.mp3")), mp3);

    const Mp3FrameWalk walk = Mp3FrameWalk::of(mp3);
    QVERIFY(walk.ok);
    QCOMPARE(walk.infoTag, "Info");
    QCOMPARE(walk.infoFrameCount, qint64(walk.frames));
    const Mp3Probe probe = Mp3Probe::of(path("two.mp3"));
    QVERIFY(probe.ok);
    QCOMPARE(probe.tags.value("title"), QStringLiteral("Сказка"));
    // The RIFF size counts 36 bytes past the samples, encoded as silence.
    QCOMPARE(Mp3Probe::decodedFrames(path("two.mp3"), 1), qint64(frames + 18));
}

void TestMp3Pieces::shortFileKeepsOneEncoder()
{
    const int rate = 22050;
    QVERIFY(WavMaker::writeVaried(path("short.wav"), rate, 1, rate * 200));
    Mp3PieceInput input{path("short.wav"), rate * 200, rate * 400, 1};
    QFile mp3(path("short.mp3"));
    QVERIFY(mp3.open(QIODevice::ReadWrite | QIODevice::Truncate));
    QVERIFY(!EncodeMp3InPieces(input, mp3, config(4, 0, 7, 0), Mp3Tags{}, {}, 2));
    QCOMPARE(mp3.size(), 0);
}

QTEST_GUILESS_MAIN(TestMp3Pieces)
#include "tst_mp3pieces.moc"

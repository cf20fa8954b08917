#include "files/VemoError.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int EngineRate = 22050;

std::vector<qint16> sine(int count)
{
    std::vector<qint16> samples;
    for (int i = 0; i < count; ++i)
        samples.push_back(qint16(std::lround(10000 * std::sin(2 * M_PI * 440 * i / EngineRate))));
    return samples;
}

QByteArray readAll(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le(const QByteArray& bytes, int at, int size = 4)
{
    return size == 4 ? qFromLittleEndian<quint32>(bytes.constData() + at)
                     : qFromLittleEndian<quint16>(bytes.constData() + at);
}

// The first channel's samples, 8-bit ones scaled to 16 bits.
std::vector<int> firstChannel(const QByteArray& wav, int bits, int channels)
{
    std::vector<int> out;
    const int step = bits / 8 * channels;
    for (int at = 44; at + step <= wav.size(); at += step)
        out.push_back(bits == 8 ? (quint8(wav[at]) - 128) * 256 : qint16(le(wav, at, 2)));
    return out;
}

void verifySizes(const QByteArray& wav)
{
    QVERIFY(wav.size() >= 44);
    QCOMPARE(le(wav, 4), quint32(wav.size() - 8));
    QCOMPARE(le(wav, 40), quint32(wav.size() - 44));
}

// One Speak into a new file of the given format.
QByteArray writeFile(const QString& name, int type, const std::vector<qint16>& samples)
{
    SpFileStream stream;
    stream.SetFormatType(type);
    stream.Open(name, 3);
    stream.WriteSamples(samples.data(), qsizetype(samples.size()), EngineRate);
    stream.Flush();
    stream.Close();
    return readAll(name);
}

} // namespace

class TestSpFileStream : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void sampleValues_data();
    void sampleValues();
    void seek_data();
    void seek();
    void writeAfterSeek();
    void rateChangeWithinSpeak_data();
    void rateChangeWithinSpeak();
    void largeBlocks_data();
    void largeBlocks();
    void headerTrueWhileOpen_data();
    void headerTrueWhileOpen();
    void refusals();
    void diskFull();
    void writerThread();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestSpFileStream::headerTrueWhileOpen_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("22 kHz 16-bit mono") << int(SAFT22kHz16BitMono);
    QTest::newRow("44 kHz 8-bit stereo") << int(SAFT44kHz8BitStereo);
    QTest::newRow("8 kHz 16-bit stereo") << int(SAFT8kHz16BitStereo);
}

// While the file is still open (a program killed now, a power cut), its header already
// counts every sample written up to the last seek, the point a run reaches after each
// fragment: the file plays up to there.
void TestSpFileStream::headerTrueWhileOpen()
{
    QFETCH(int, type);
    SpFileStream stream;
    stream.SetFormatType(type);
    const QString name = path(QStringLiteral("open%1.wav").arg(type));
    stream.Open(name);
    const std::vector<qint16> samples = sine(EngineRate / 4);
    for (int fragment = 1; fragment <= 3; ++fragment) {
        stream.WriteSamples(samples.data(), qsizetype(samples.size()), EngineRate);
        stream.Flush();
        const qint64 end = stream.Seek(0, 1);
        const QByteArray wav = readAll(name);
        QCOMPARE(qint64(wav.size()), 44 + end);
        verifySizes(wav);
        QVERIFY(end > 0);
    }
    stream.Close();
}

void TestSpFileStream::formats_data()
{
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("name");
    int type = 4;
    for (int rate : rates) {
        for (int bits : {8, 16}) {
            for (int channels : {1, 2}) {
                const QString name = QStringLiteral("SAFT%1kHz%2Bit%3")
                                         .arg(rate / 1000)
                                         .arg(bits)
                                         .arg(channels == 1 ? "Mono" : "Stereo");
                QTest::addRow("%d %s", type, qPrintable(name)) << type << rate << bits << channels << name;
                ++type;
            }
        }
    }
}

// Header fields, sizes after Close, the length of the converted sound and its level.
void TestSpFileStream::formats()
{
    QFETCH(int, type);
    QFETCH(int, rate);
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(QString, name);
    QCOMPARE(SpeechAudioFormat::Names().at(type - 4), name);
    constexpr int count = 11025; // half a second
    const QByteArray wav = writeFile(path(name + ".wav"), type, sine(count));
    verifySizes(wav);
    QCOMPARE(wav.left(16), QByteArray("RIFF") + wav.mid(4, 4) + "WAVEfmt ");
    QCOMPARE(le(wav, 16), 16u);
    const QList<quint32> fields{le(wav, 20, 2), le(wav, 22, 2), le(wav, 24),
                                le(wav, 28),    le(wav, 32, 2), le(wav, 34, 2)};
    const quint32 block = quint32(bits / 8 * channels);
    QCOMPARE(fields,
             (QList<quint32>{1, quint32(channels), quint32(rate), rate * block, block, quint32(bits)}));
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));
    QCOMPARE((wav.size() - 44) % block, 0u);

    const std::vector<int> samples = firstChannel(wav, bits, channels);
    const double expected = double(count) * rate / EngineRate;
    QVERIFY2(std::abs(double(samples.size()) - expected) <= 4, qPrintable(QString::number(samples.size())));
    // Away from the edges the sine keeps its level (10000 / sqrt 2) through the resampler.
    double sum = 0;
    for (std::size_t i = samples.size() / 4; i < samples.size() * 3 / 4; ++i)
        sum += double(samples[i]) * samples[i];
    const double level = std::sqrt(sum / double(samples.size() / 2));
    QVERIFY2(std::abs(level - 7071) < 200, qPrintable(QString::number(level)));
}

// At the engine's own rate nothing is resampled, so the stored bytes show the coding.
void TestSpFileStream::sampleValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("input");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("8-bit mono") << int(SAFT22kHz8BitMono) << QList<int>{-32768, -257, -1, 0, 255, 256, 32767}
                                << QByteArray::fromHex("00 7e 7f 80 80 81 ff");
    QTest::newRow("8-bit stereo") << int(SAFT22kHz8BitStereo) << QList<int>{-32768, 0, 32767}
                                  << QByteArray::fromHex("0000 8080 ffff");
    QTest::newRow("16-bit mono") << int(SAFT22kHz16BitMono) << QList<int>{-32768, -1, 1, 32767}
                                 << QByteArray::fromHex("0080 ffff 0100 ff7f");
    QTest::newRow("16-bit stereo") << int(SAFT22kHz16BitStereo) << QList<int>{100, -200}
                                   << QByteArray::fromHex("6400 6400 38ff 38ff");
}

void TestSpFileStream::sampleValues()
{
    QFETCH(int, type);
    QFETCH(QList<int>, input);
    QFETCH(QByteArray, data);
    const QByteArray wav =
        writeFile(path("values.wav"), type, std::vector<qint16>(input.begin(), input.end()));
    QCOMPARE(wav.mid(44).toHex(' '), data.toHex(' '));
    verifySizes(wav);
}

void TestSpFileStream::seek_data()
{
    QTest::addColumn<int>("type"); // 1000 samples written: 2000 bytes mono, 4000 stereo
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("origin");
    QTest::addColumn<qint64>("expected");
    const int mono = SAFT22kHz16BitMono;
    QTest::newRow("from start") << mono << qint64(500) << 0 << qint64(500);
    QTest::newRow("current after writing") << mono << qint64(0) << 1 << qint64(2000);
    QTest::newRow("back from current") << mono << qint64(-300) << 1 << qint64(1700);
    QTest::newRow("back from end") << mono << qint64(-100) << 2 << qint64(1900);
    QTest::newRow("beyond the end") << mono << qint64(5000) << 0 << qint64(2000);
    QTest::newRow("before the start") << mono << qint64(-3000) << 1 << qint64(0);
    QTest::newRow("huge") << mono << std::numeric_limits<qint64>::max() << 1 << qint64(2000);
    QTest::newRow("huge negative") << mono << std::numeric_limits<qint64>::min() << 2 << qint64(0);
    QTest::newRow("inside a stereo frame") << int(SAFT22kHz16BitStereo) << qint64(7) << 0 << qint64(4);
}

void TestSpFileStream::seek()
{
    QFETCH(int, type);
    QFETCH(qint64, position);
    QFETCH(int, origin);
    QFETCH(qint64, expected);
    SpFileStream stream;
    stream.SetFormatType(type);
    stream.Open(path("seek.wav"));
    QCOMPARE(stream.Seek(0, 2), qint64(0));
    const std::vector<qint16> samples = sine(1000);
    stream.WriteSamples(samples.data(), 1000, EngineRate);
    stream.Flush();
    QCOMPARE(stream.Seek(position, origin), expected);
    QCOMPARE(stream.Seek(0, 1), expected);
    stream.Close();
    verifySizes(readAll(path("seek.wav")));
}

// Writing after a Seek back overwrites from there and keeps the rest and the length.
void TestSpFileStream::writeAfterSeek()
{
    SpFileStream stream;
    stream.SetFormatType(SAFT22kHz16BitMono);
    stream.Open(path("overwrite.wav"));
    const std::vector<qint16> first(1000, 1000), second(100, -5);
    stream.WriteSamples(first.data(), 1000, EngineRate);
    stream.Flush();
    QCOMPARE(stream.Seek(400, 0), qint64(400));
    stream.WriteSamples(second.data(), 100, EngineRate);
    stream.Flush();
    QCOMPARE(stream.Seek(0, 1), qint64(600));
    QCOMPARE(stream.Seek(0, 2), qint64(2000));
    stream.Close();
    stream.Close();
    const std::vector<int> samples = firstChannel(readAll(path("overwrite.wav")), 16, 1);
    QCOMPARE(samples.size(), std::size_t(1000));
    for (std::size_t i = 0; i < samples.size(); ++i)
        QCOMPARE(samples[i], i >= 200 && i < 300 ? -5 : 1000);
}

void TestSpFileStream::rateChangeWithinSpeak_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("rates"); // of the pieces written one after another
    QTest::newRow("converted, then the file's own rate")
        << int(SAFT22kHz16BitMono) << QList<int>{16000, EngineRate, 16000, EngineRate};
    QTest::newRow("the file's own rate, then converted")
        << int(SAFT22kHz16BitMono) << QList<int>{EngineRate, 11025, EngineRate};
    QTest::newRow("8-bit stereo") << int(SAFT22kHz8BitStereo) << QList<int>{8000, EngineRate, 48000};
    QTest::newRow("all converted") << int(SAFT16kHz16BitMono) << QList<int>{EngineRate, 16000, EngineRate};
}

// Samples of another rate are converted and those at the file's rate are not: a change of
// rate within one Speak ends the converted piece whole, as if the Speak had ended there.
void TestSpFileStream::rateChangeWithinSpeak()
{
    QFETCH(int, type);
    QFETCH(QList<int>, rates);
    const std::vector<qint16> samples = sine(3000);
    QByteArray wav[2];
    for (int flushed = 0; flushed < 2; ++flushed) {
        const QString name = path(flushed ? "flushed.wav" : "unflushed.wav");
        SpFileStream stream;
        stream.SetFormatType(type);
        stream.Open(name, 3);
        for (int rate : rates) {
            stream.WriteSamples(samples.data(), qsizetype(samples.size()), rate);
            if (flushed)
                stream.Flush();
        }
        stream.Flush();
        stream.Close();
        wav[flushed] = readAll(name);
    }
    const int bytesPerSample = SpeechAudioFormat::FromType(type)->BlockAlign();
    QVERIFY(wav[1].size() > 44 + qsizetype(samples.size()) * bytesPerSample * rates.size() / 2);
    QCOMPARE(wav[0].size(), wav[1].size());
    QVERIFY(wav[0] == wav[1]);
    verifySizes(wav[0]);
}

void TestSpFileStream::largeBlocks_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("overwriteAt"); // a Seek back before the second block; -1: none
    QTest::newRow("16-bit mono") << int(SAFT22kHz16BitMono) << qint64(-1);
    QTest::newRow("16-bit mono, over what is written") << int(SAFT22kHz16BitMono) << qint64(30000);
    QTest::newRow("16-bit stereo") << int(SAFT22kHz16BitStereo) << qint64(-1);
    QTest::newRow("8-bit mono, over what is written") << int(SAFT22kHz8BitMono) << qint64(1001);
}

// Blocks of several write chunks in one call (held speech placed in the file) give the file
// that the same samples give in the engine's small buffers.
void TestSpFileStream::largeBlocks()
{
    QFETCH(int, type);
    QFETCH(qint64, overwriteAt);
    const std::vector<qint16> samples = sine(100000);
    const qsizetype small = 2205;
    QByteArray wav[2];
    for (int large = 0; large < 2; ++large) {
        const QString name = path(large ? "large.wav" : "small.wav");
        SpFileStream stream;
        stream.SetFormatType(type);
        stream.Open(name, 3);
        for (int block = 0; block < 2; ++block) {
            if (block == 1 && overwriteAt >= 0)
                stream.Seek(overwriteAt, 0);
            const qint16* from = samples.data() + 777 * block; // the blocks differ
            const qsizetype count = qsizetype(samples.size()) - 777;
            // Large: one block between two small pieces, the first still buffered then.
            for (qsizetype at = 0, n = 0; at < count; at += n) {
                n = qMin(large ? (at == 0 || at == count - 1000 ? 1000 : count - 1000 - at) : small,
                         count - at);
                stream.WriteSamples(from + at, n, EngineRate);
            }
            stream.Flush();
            stream.Seek(0, 1);
        }
        stream.Close();
        wav[large] = readAll(name);
    }
    QVERIFY(wav[0].size() > 100000);
    QCOMPARE(wav[1].size(), wav[0].size());
    QVERIFY(wav[1] == wav[0]);
    verifySizes(wav[1]);
}

// Wrong formats, modes and names, and calls on a closed stream.
void TestSpFileStream::refusals()
{
    SpFileStream stream;
    for (int type : {0, 3, 40, -1})
        QVERIFY_THROWS_EXCEPTION(VemoError, stream.SetFormatType(type));
    QCOMPARE(stream.FormatType(), int(SAFT22kHz16BitMono));
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Seek(0, 1));
    stream.Close();
    const QString missing = path("no such folder/speech.wav");
    try {
        stream.Open(missing, 3);
        QFAIL("Open succeeded");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(missing), qPrintable(e.Message()));
    }
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Open(path("x.wav"), 1));
    QVERIFY(!stream.IsOpen());
    stream.Open(path("x.wav"));
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Seek(0, 3));
    stream.Close();
    const qint16 late[3] = {1, 2, 3};
    stream.WriteSamples(late, 3, EngineRate); // after Close: nothing happens
    stream.Flush();
    QCOMPARE(readAll(path("x.wav")).size(), 44);
}

// A write that fails on the engine's side is reported at the next Seek, naming the file,
// and the header written on Close counts only what reached the disk.
static void writeUntilFull(const QString& name)
{
    SpFileStream stream;
    stream.SetFormatType(SAFT48kHz16BitStereo);
    stream.Open(name);
    const std::vector<qint16> second = sine(EngineRate);
    for (int i = 0; i < 3; ++i)
        stream.WriteSamples(second.data(), EngineRate, EngineRate);
    stream.Flush();
    try {
        stream.Seek(0, 1);
        QFAIL("no error after a failed write");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(name), qPrintable(e.Message()));
    }
    stream.Close();
    verifySizes(readAll(name));
}

// On a small tmpfs when this process may mount one, else in a child process with a file
// size limit (which must not bind this process).
void TestSpFileStream::diskFull()
{
    const QByteArray mountPoint = path("small").toLocal8Bit();
    QVERIFY(QDir().mkpath(path("small")));
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=128k") == 0) {
        writeUntilFull(path("small/full.wav"));
        ::umount(mountPoint.constData());
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100 * 1024, 100 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        writeUntilFull(path("limited.wav"));
        _exit(QTest::currentTestFailed() ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The engine's thread writes Speak after Speak while the GUI thread asks about the stream;
// after the last flush Seek reports every sample.
void TestSpFileStream::writerThread()
{
    SpFileStream stream;
    stream.SetFormatType(SAFT44kHz16BitMono);
    stream.Open(path("thread.wav"));
    constexpr int speaks = 20, chunk = 441;
    std::atomic_bool done = false;
    std::thread writer([&] {
        const std::vector<qint16> samples = sine(chunk);
        for (int s = 0; s < speaks; ++s) {
            for (int c = 0; c < 10; ++c)
                stream.WriteSamples(samples.data(), chunk, EngineRate);
            stream.Flush();
        }
        done = true;
    });
    while (!done)
        QVERIFY(stream.IsOpen() && stream.FileName().endsWith("thread.wav"));
    writer.join();
    const qint64 expected = qint64(speaks) * 10 * chunk * 2 * 2; // twice the rate, two bytes
    const qint64 position = stream.Seek(0, 1);
    QVERIFY2(std::abs(position - expected) <= speaks * 8, qPrintable(QString::number(position)));
    QCOMPARE(stream.Seek(0, 2), position);
    stream.Close();
    QCOMPARE(readAll(path("thread.wav")).size(), 44 + position);
}

QTEST_GUILESS_MAIN(TestSpFileStream)
#include "tst_spfilestream.moc"

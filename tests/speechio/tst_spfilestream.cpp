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

std::vector<qint16> sine(int count, double amplitude = 10000, double hertz = 440)
{
    std::vector<qint16> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        samples[std::size_t(i)] =
            qint16(std::lround(amplitude * std::sin(2 * M_PI * hertz * i / EngineRate)));
    return samples;
}

QByteArray readAll(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// The sample values of the first channel, 8-bit samples scaled to 16 bits.
std::vector<int> firstChannel(const QByteArray& wav, int bits, int channels)
{
    std::vector<int> out;
    const int step = bits / 8 * channels;
    for (qsizetype at = 44; at + step <= wav.size(); at += step)
        out.push_back(bits == 8 ? (quint8(wav[at]) - 128) * 256 : qint16(le16(wav, int(at))));
    return out;
}

double rms(const std::vector<int>& samples, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

// Writes the given samples into a new file of the given format and closes it.
QByteArray writeFile(const QString& name, int type, const std::vector<qint16>& samples)
{
    SpFileStream stream;
    stream.setFormatType(type);
    stream.Open(name, 3);
    stream.writeSamples(samples.data(), qsizetype(samples.size()), EngineRate);
    stream.flush();
    stream.Close();
    return readAll(name);
}

void verifySizes(const QByteArray& wav)
{
    QVERIFY(wav.size() >= 44);
    QCOMPARE(le32(wav, 4), quint32(wav.size() - 8));
    QCOMPARE(le32(wav, 40), quint32(wav.size() - 44));
}

} // namespace

class TestSpFileStream : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void formats_data();
    void formats();
    void formatTypeRange_data();
    void formatTypeRange();
    void sampleValues_data();
    void sampleValues();
    void seek_data();
    void seek();
    void writeAfterSeek();
    void closeTwiceAndClosedStream();
    void openMissingFolder();
    void openReplacesAndClosesPrevious();
    void diskFull_data();
    void diskFull();
    void writerThread();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestSpFileStream::formats_data()
{
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    const char* labels[] = {"8", "11", "12", "16", "22", "24", "32", "44", "48"};
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("name");
    int type = 4;
    for (int r = 0; r < 9; ++r) {
        for (int bits : {8, 16}) {
            for (int channels : {1, 2}) {
                const QString name = QStringLiteral("SAFT%1kHz%2Bit%3")
                                         .arg(QLatin1String(labels[r]))
                                         .arg(bits)
                                         .arg(channels == 1 ? "Mono" : "Stereo");
                QTest::addRow("%d %s", type, qPrintable(name))
                    << type << rates[r] << bits << channels << name;
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
    QCOMPARE(SpeechAudioFormat::fromType(type)->name(), name);
    QCOMPARE(SpeechAudioFormat::names().at(type - 4), name);

    constexpr int count = 11025; // half a second
    const QByteArray wav = writeFile(path(name + ".wav"), type, sine(count));
    verifySizes(wav);
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(le32(wav, 16), 16u);
    QCOMPARE(le16(wav, 20), quint16(1));
    QCOMPARE(le16(wav, 22), quint16(channels));
    QCOMPARE(le32(wav, 24), quint32(rate));
    QCOMPARE(le32(wav, 28), quint32(rate * bits / 8 * channels));
    QCOMPARE(le16(wav, 32), quint16(bits / 8 * channels));
    QCOMPARE(le16(wav, 34), quint16(bits));
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));

    const std::vector<int> samples = firstChannel(wav, bits, channels);
    QCOMPARE((wav.size() - 44) % (bits / 8 * channels), 0);
    const double expectedFrames = double(count) * rate / EngineRate;
    QVERIFY2(std::abs(double(samples.size()) - expectedFrames) <= 4,
             qPrintable(QStringLiteral("%1 frames, expected %2").arg(samples.size()).arg(expectedFrames)));
    // Away from the edges the sine keeps its level (10000 / sqrt 2) through resampling.
    const double level = rms(samples, samples.size() / 4, samples.size() * 3 / 4);
    QVERIFY2(std::abs(level - 7071) < 200, qPrintable(QString::number(level)));
}

void TestSpFileStream::formatTypeRange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("valid");
    QTest::newRow("0 (no format chosen yet)") << 0 << false;
    QTest::newRow("3") << 3 << false;
    QTest::newRow("4") << 4 << true;
    QTest::newRow("39") << 39 << true;
    QTest::newRow("40") << 40 << false;
    QTest::newRow("-1") << -1 << false;
}

void TestSpFileStream::formatTypeRange()
{
    QFETCH(int, type);
    QFETCH(bool, valid);
    SpFileStream stream;
    stream.setFormatType(SAFT11kHz8BitMono);
    bool thrown = false;
    try {
        stream.setFormatType(type);
    } catch (const VemoError& e) {
        thrown = true;
        QVERIFY(e.message().contains(QString::number(type)));
    }
    QCOMPARE(thrown, !valid);
    QCOMPARE(stream.formatType(), valid ? type : int(SAFT11kHz8BitMono));
}

// At the engine's own rate nothing is resampled, so the stored values show the coding.
void TestSpFileStream::sampleValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("input");
    QTest::addColumn<QByteArray>("data");
    const QList<int> input{-32768, -257, -1, 0, 255, 256, 32767};
    QTest::newRow("8-bit mono") << int(SAFT22kHz8BitMono) << input
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
    std::vector<qint16> samples(input.begin(), input.end());
    const QByteArray wav = writeFile(path("values.wav"), type, samples);
    QCOMPARE(wav.mid(44).toHex(' '), data.toHex(' '));
    verifySizes(wav);
}

void TestSpFileStream::seek_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("origin");
    QTest::addColumn<qint64>("expected");
    const int mono = SAFT22kHz16BitMono;     // 1000 samples: 2000 bytes
    const int stereo = SAFT22kHz16BitStereo; // 4000 bytes
    QTest::newRow("start") << mono << qint64(0) << 0 << qint64(0);
    QTest::newRow("from start") << mono << qint64(500) << 0 << qint64(500);
    QTest::newRow("current after writing") << mono << qint64(0) << 1 << qint64(2000);
    QTest::newRow("back from current") << mono << qint64(-300) << 1 << qint64(1700);
    QTest::newRow("end") << mono << qint64(0) << 2 << qint64(2000);
    QTest::newRow("back from end") << mono << qint64(-100) << 2 << qint64(1900);
    QTest::newRow("beyond the end") << mono << qint64(5000) << 0 << qint64(2000);
    QTest::newRow("beyond the end from end") << mono << qint64(1) << 2 << qint64(2000);
    QTest::newRow("before the start") << mono << qint64(-5) << 0 << qint64(0);
    QTest::newRow("far before the start") << mono << qint64(-3000) << 1 << qint64(0);
    QTest::newRow("huge") << mono << std::numeric_limits<qint64>::max() << 1 << qint64(2000);
    QTest::newRow("huge negative") << mono << std::numeric_limits<qint64>::min() << 2 << qint64(0);
    QTest::newRow("inside a sample") << mono << qint64(3) << 0 << qint64(2);
    QTest::newRow("inside a stereo frame") << stereo << qint64(7) << 0 << qint64(4);
}

void TestSpFileStream::seek()
{
    QFETCH(int, type);
    QFETCH(qint64, position);
    QFETCH(int, origin);
    QFETCH(qint64, expected);
    SpFileStream stream;
    stream.setFormatType(type);
    stream.Open(path("seek.wav"));
    QCOMPARE(stream.Seek(0, 2), qint64(0));
    const std::vector<qint16> samples = sine(1000);
    stream.writeSamples(samples.data(), 1000, EngineRate);
    stream.flush();
    QCOMPARE(stream.Seek(position, origin), expected);
    QCOMPARE(stream.Seek(0, 1), expected);
    stream.Close();
    verifySizes(readAll(path("seek.wav")));
}

// Writing after a Seek back overwrites from there and leaves the rest and the length.
void TestSpFileStream::writeAfterSeek()
{
    SpFileStream stream;
    stream.setFormatType(SAFT22kHz16BitMono);
    stream.Open(path("overwrite.wav"));
    const std::vector<qint16> first(1000, 1000);
    const std::vector<qint16> second(100, -5);
    stream.writeSamples(first.data(), 1000, EngineRate);
    stream.flush();
    QCOMPARE(stream.Seek(400, 0), qint64(400));
    stream.writeSamples(second.data(), 100, EngineRate);
    stream.flush();
    QCOMPARE(stream.Seek(0, 1), qint64(600));
    QCOMPARE(stream.Seek(0, 2), qint64(2000));
    stream.Close();
    const QByteArray wav = readAll(path("overwrite.wav"));
    verifySizes(wav);
    const std::vector<int> samples = firstChannel(wav, 16, 1);
    QCOMPARE(samples.size(), std::size_t(1000));
    for (std::size_t i = 0; i < samples.size(); ++i)
        QCOMPARE(samples[i], i >= 200 && i < 300 ? -5 : 1000);
}

void TestSpFileStream::closeTwiceAndClosedStream()
{
    SpFileStream stream;
    QVERIFY(!stream.isOpen());
    stream.Close();
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Seek(0, 1));
    stream.Open(path("twice.wav"));
    QVERIFY(stream.isOpen());
    QCOMPARE(stream.fileName(), path("twice.wav"));
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Seek(0, 3));
    stream.Close();
    stream.Close();
    QVERIFY(!stream.isOpen());
    const qint16 late[3] = {1, 2, 3};
    stream.writeSamples(late, 3, EngineRate); // after Close: nothing, no crash
    stream.flush();
    const QByteArray wav = readAll(path("twice.wav"));
    QCOMPARE(wav.size(), 44);
    verifySizes(wav);
    QCOMPARE(le16(wav, 22), quint16(1)); // the format a new stream starts with: 22 kHz 16-bit mono
    QCOMPARE(le32(wav, 24), 22050u);
}

void TestSpFileStream::openMissingFolder()
{
    const QString name = path("no such folder/speech.wav");
    SpFileStream stream;
    try {
        stream.Open(name, 3);
        QFAIL("Open succeeded");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(name), qPrintable(e.message()));
    }
    QVERIFY(!stream.isOpen());
    QVERIFY_THROWS_EXCEPTION(VemoError, stream.Open(path("x.wav"), 1));
}

// Opening another file finishes the first one; an existing file is replaced.
void TestSpFileStream::openReplacesAndClosesPrevious()
{
    QFile old(path("b.wav"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    SpFileStream stream;
    stream.Open(path("a.wav"));
    const std::vector<qint16> samples = sine(300);
    stream.writeSamples(samples.data(), 300, EngineRate); // no flush: Open must drain it
    stream.Open(path("b.wav"));
    stream.Close();
    const QByteArray a = readAll(path("a.wav"));
    verifySizes(a);
    QCOMPARE(a.size(), 44 + 600);
    QCOMPARE(readAll(path("b.wav")).size(), 44);
}

void TestSpFileStream::diskFull_data()
{
    QTest::addColumn<bool>("tmpfs");
    QTest::newRow("full file system") << true;
    QTest::newRow("file size limit") << false;
}

// A write that fails on the engine's side is reported at the next Seek, naming the file,
// and the header written on Close counts only what reached the disk.
static void writeUntilFull(const QString& name)
{
    SpFileStream stream;
    stream.setFormatType(SAFT48kHz16BitStereo);
    stream.Open(name);
    const std::vector<qint16> second = sine(EngineRate);
    for (int i = 0; i < 3; ++i)
        stream.writeSamples(second.data(), EngineRate, EngineRate);
    stream.flush();
    try {
        stream.Seek(0, 1);
        QFAIL("no error after a failed write");
    } catch (const VemoError& e) {
        QVERIFY2(e.message().contains(name), qPrintable(e.message()));
    }
    stream.Close();
    verifySizes(readAll(name));
}

void TestSpFileStream::diskFull()
{
    QFETCH(bool, tmpfs);
    if (tmpfs) {
        const QString mountPoint = path("small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=128k") != 0)
            QSKIP("cannot mount a small tmpfs here (needs root)");
        writeUntilFull(mountPoint + "/full.wav");
        ::umount(mountPoint.toLocal8Bit().constData());
        return;
    }
    // The same in a child process whose file size limit is 100 KB.
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100 * 1024, 100 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        writeUntilFull(path("limited.wav"));
        _exit(QTest::currentTestFailed() ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(QFile(path("limited.wav")).size() <= 100 * 1024);
}

// The engine's thread writes one Speak after another while the GUI thread asks about the
// stream; after the last flush Seek reports every sample.
void TestSpFileStream::writerThread()
{
    SpFileStream stream;
    stream.setFormatType(SAFT44kHz16BitMono);
    stream.Open(path("thread.wav"));
    constexpr int speaks = 20;
    constexpr int chunk = 441;
    std::atomic_bool done = false;
    std::thread writer([&] {
        const std::vector<qint16> samples = sine(chunk);
        for (int s = 0; s < speaks; ++s) {
            for (int c = 0; c < 10; ++c)
                stream.writeSamples(samples.data(), chunk, EngineRate);
            stream.flush();
        }
        done = true;
    });
    while (!done)
        QVERIFY(stream.isOpen() && stream.formatType() == SAFT44kHz16BitMono);
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

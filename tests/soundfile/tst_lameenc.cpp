#include "soundfile/FillEncoderConfig.h"
#include "soundfile/LameEnc.h"

#include <QTest>
#include <vector>

class TestLameEnc : public QObject
{
    Q_OBJECT

private slots:
    void chunkSizes_data();
    void chunkSizes();
    void refusedRecords_data();
    void refusedRecords();
    void staleHandlesAreRefused();
    void chunkLongerThanReportedIsRefused();
    void infoFrameFollowsTheTag_data();
    void infoFrameFollowsTheTag();
};

namespace {

EncoderConfig record(int rateItem, std::int32_t mode, int modeItem = 0)
{
    Mp3Choices choices;
    choices.sampleRateItem = rateItem;
    choices.modeItem = modeItem;
    EncoderConfig c = FillEncoderConfig(choices).config;
    c.SetInt32(EncoderConfig::nMode, mode);
    return c;
}

} // namespace

void TestLameEnc::chunkSizes_data()
{
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("samples");
    QTest::newRow("MPEG-1 stereo") << 7 << 0 << 2304;
    QTest::newRow("MPEG-1 joint stereo") << 8 << 1 << 2304;
    QTest::newRow("MPEG-1 mono") << 6 << 3 << 1152;
    QTest::newRow("MPEG-2 stereo") << 4 << 0 << 1152;
    QTest::newRow("MPEG-2 mono") << 0 << 3 << 576;
    QTest::newRow("dual channel encodes as stereo") << 5 << 2 << 1152;
}

void TestLameEnc::chunkSizes()
{
    QFETCH(int, rateItem);
    QFETCH(int, mode);
    QFETCH(int, samples);
    std::uint32_t s = 0;
    std::uint32_t b = 0;
    HBE_STREAM stream = 0;
    QCOMPARE(beInitStream(record(rateItem, mode), &s, &b, &stream), BeErr::Successful);
    QCOMPARE(s, std::uint32_t(samples));
    QVERIFY(b >= s * 5 / 4 + 7200);
    std::vector<short> input(s, 1000);
    std::vector<unsigned char> output(b);
    std::uint32_t written = 0;
    std::uint32_t total = 0;
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(beEncodeChunk(stream, s, input.data(), output.data(), &written), BeErr::Successful);
        QVERIFY(written <= b);
        total += written;
    }
    QCOMPARE(beDeinitStream(stream, output.data(), &written), BeErr::Successful);
    total += written;
    QVERIFY(total > 0);
    QCOMPARE(beCloseStream(stream), BeErr::Successful);
}

void TestLameEnc::refusedRecords_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<std::uint32_t>("error");
    QTest::newRow("not a LAME record") << int(EncoderConfig::dwConfig) << qint64(0) << BeErr::InvalidFormat;
    QTest::newRow("struct version 0")
        << int(EncoderConfig::dwStructVersion) << qint64(0) << BeErr::InvalidFormatParameters;
    QTest::newRow("sample rate 0") << int(EncoderConfig::dwSampleRate) << qint64(0)
                                   << BeErr::InvalidFormatParameters;
    QTest::newRow("output rate outside MP3")
        << int(EncoderConfig::dwReSampleRate) << qint64(44000) << BeErr::InvalidFormatParameters;
    QTest::newRow("channel mode 7") << int(EncoderConfig::nMode) << qint64(7)
                                    << BeErr::InvalidFormatParameters;
    QTest::newRow("channel mode -1") << int(EncoderConfig::nMode) << qint64(-1)
                                     << BeErr::InvalidFormatParameters;
}

void TestLameEnc::refusedRecords()
{
    QFETCH(int, offset);
    QFETCH(qint64, value);
    QFETCH(std::uint32_t, error);
    EncoderConfig c = record(7, 0);
    c.SetDword(EncoderConfig::Offset(offset), std::uint32_t(value));
    std::uint32_t s = 77;
    std::uint32_t b = 77;
    HBE_STREAM stream = 77;
    QCOMPARE(beInitStream(c, &s, &b, &stream), error);
    QCOMPARE(stream, HBE_STREAM(77));
    QCOMPARE(beInitStream(c, nullptr, &b, &stream) != BeErr::Successful, true);
}

void TestLameEnc::staleHandlesAreRefused()
{
    std::uint32_t s = 0;
    std::uint32_t b = 0;
    HBE_STREAM stream = 0;
    QCOMPARE(beInitStream(record(4, 3), &s, &b, &stream), BeErr::Successful);
    QCOMPARE(beCloseStream(stream), BeErr::Successful);
    std::vector<short> input(s);
    std::vector<unsigned char> output(b);
    std::uint32_t written = 0;
    for (HBE_STREAM bad : {stream, HBE_STREAM(0), HBE_STREAM(0xFFFFFFFF)}) {
        QCOMPARE(beEncodeChunk(bad, s, input.data(), output.data(), &written), BeErr::InvalidHandle);
        QCOMPARE(beDeinitStream(bad, output.data(), &written), BeErr::InvalidHandle);
        std::uint32_t offset = 0;
        QCOMPARE(beInfoFrame(bad, output.data(), &written, &offset), BeErr::InvalidHandle);
        QCOMPARE(beCloseStream(bad), BeErr::InvalidHandle);
    }
    HBE_STREAM next = 0;
    QCOMPARE(beInitStream(record(4, 3), &s, &b, &next), BeErr::Successful);
    QVERIFY(next != stream); // a closed handle never comes back to life
    QCOMPARE(beCloseStream(next), BeErr::Successful);
}

void TestLameEnc::chunkLongerThanReportedIsRefused()
{
    std::uint32_t s = 0;
    std::uint32_t b = 0;
    HBE_STREAM stream = 0;
    QCOMPARE(beInitStream(record(7, 0), &s, &b, &stream), BeErr::Successful);
    std::vector<short> input(s + 2);
    std::vector<unsigned char> output(b);
    std::uint32_t written = 0;
    QVERIFY(beEncodeChunk(stream, s + 2, input.data(), output.data(), &written) != BeErr::Successful);
    QVERIFY(beEncodeChunk(stream, s, nullptr, output.data(), &written) != BeErr::Successful);
    QCOMPARE(beEncodeChunk(stream, 0, nullptr, output.data(), &written), BeErr::Successful);
    QCOMPARE(beEncodeChunk(stream, 3, input.data(), output.data(), &written), BeErr::Successful);
    QCOMPARE(beCloseStream(stream), BeErr::Successful);
}

void TestLameEnc::infoFrameFollowsTheTag_data()
{
    QTest::addColumn<bool>("infoFrame"); // bWriteVBRHeader
    QTest::addColumn<QString>("title");
    QTest::newRow("info frame, tag with a title") << true << QStringLiteral("Глава 001");
    QTest::newRow("info frame, tag with the encoder only") << true << QString();
    QTest::newRow("no info frame asked") << false << QStringLiteral("Глава");
}

// The stream's output starts with the ID3v2 tag; the info frame's place is right after it,
// where the output holds an MPEG frame header.
void TestLameEnc::infoFrameFollowsTheTag()
{
    QFETCH(bool, infoFrame);
    QFETCH(QString, title);
    EncoderConfig c = record(4, 3);
    c.SetInt32(EncoderConfig::bWriteVBRHeader, infoFrame ? -1 : 0);
    Mp3Tags tags;
    tags.title = title;
    std::uint32_t s = 0;
    std::uint32_t b = 0;
    HBE_STREAM stream = 0;
    QCOMPARE(beInitStream(c, tags, &s, &b, &stream), BeErr::Successful);
    std::vector<short> input(s, 1000);
    std::vector<unsigned char> output(b);
    QByteArray mp3;
    std::uint32_t written = 0;
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(beEncodeChunk(stream, s, input.data(), output.data(), &written), BeErr::Successful);
        mp3.append(reinterpret_cast<const char*>(output.data()), written);
    }
    QCOMPARE(beDeinitStream(stream, output.data(), &written), BeErr::Successful);
    mp3.append(reinterpret_cast<const char*>(output.data()), written);
    std::uint32_t offset = 0;
    QCOMPARE(beInfoFrame(stream, output.data(), &written, &offset), BeErr::Successful);
    QCOMPARE(beCloseStream(stream), BeErr::Successful);
    QVERIFY(mp3.startsWith("ID3"));
    const auto* p = reinterpret_cast<const uchar*>(mp3.constData());
    const std::uint32_t tagSize = 10 + (p[6] << 21 | p[7] << 14 | p[8] << 7 | p[9]);
    QCOMPARE(offset, tagSize);
    QCOMPARE(uchar(mp3.at(int(offset))), uchar(0xFF));
    if (!infoFrame) {
        QCOMPARE(written, 0u);
        return;
    }
    QVERIFY(written > 100);
    QCOMPARE(uchar(output[0]), uchar(0xFF));
    QVERIFY(QByteArray(reinterpret_cast<const char*>(output.data()), int(written)).contains("Info"));
}

QTEST_APPLESS_MAIN(TestLameEnc)
#include "tst_lameenc.moc"

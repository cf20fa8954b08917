#include "files/VemoError.h"
#include "soundfile/FillEncoderConfig.h"
#include "soundfile/Mp3Tables.h"

#include <QTest>
#include <map>

using Fields = std::map<EncoderConfig::Offset, qint64>;
Q_DECLARE_METATYPE(Mp3Choices)
Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(MpegClass)

class TestEncoderConfig : public QObject
{
    Q_OBJECT

private slots:
    void fillRecord_data();
    void fillRecord();
    void presetModesSetOnlyThePreset_data();
    void presetModesSetOnlyThePreset();
    void streamFormatFollowsSampleRate_data();
    void streamFormatFollowsSampleRate();
    void byteLayout();
    void checkBitrate_data();
    void checkBitrate();
    void badInputIsRefused();
};

namespace {

Mp3Choices choices(int rate, int mode, int bitrate = 7, int bitrateMax = 7, int quality = 2, int channels = 0,
                   int vbrQuality = 0)
{
    return {rate, channels, mode, bitrate, bitrateMax, vbrQuality, quality};
}

using C = EncoderConfig;

} // namespace

void TestEncoderConfig::fillRecord_data()
{
    QTest::addColumn<Mp3Choices>("choices");
    QTest::addColumn<Fields>("expected");

    QTest::newRow("panel as it starts: CBR at the shown 64 kbps, mono")
        << Mp3Choices{} << Fields{{C::bEnableVBR, 0},       {C::dwBitrate, 64},
                                  {C::nPreset, -1},         {C::nMode, 3},
                                  {C::dwMaxBitrate, 160},   {C::dwMpegVersion, 0},
                                  {C::bWriteVBRHeader, -1}, {C::dwSampleRate, 22050}};
    QTest::newRow("mode never picked keeps VBR defaults")
        << choices(4, -1) << Fields{{C::bEnableVBR, -1},
                                    {C::nVbrMethod, 0},
                                    {C::nPreset, -1},
                                    {C::nVBRQuality, 0},
                                    {C::dwBitrate, 8},
                                    {C::dwMaxBitrate, 160},
                                    {C::dwMpegVersion, 0},
                                    {C::nMode, 3},
                                    {C::bOriginal, -1},
                                    {C::bStrictIso, -1},
                                    {C::bCRC, 0},
                                    {C::dwSampleRate, 22050},
                                    {C::dwReSampleRate, 22050},
                                    {C::bWriteVBRHeader, -1}};
    QTest::newRow("LQP_CBR takes the shown bitrate")
        << choices(4, 16, 7) << Fields{{C::nPreset, 12}, {C::dwBitrate, 64}, {C::dwVbrAbr_bps, 0}};
    QTest::newRow("LQP_CBR 24 kbps at 44100 Hz falls back to 128")
        << choices(7, 16, 2) << Fields{{C::nPreset, 12}, {C::dwBitrate, 128}};
    QTest::newRow("LQP_ABR averages the shown bitrate")
        << choices(4, 15, 9) << Fields{{C::nPreset, 11}, {C::dwVbrAbr_bps, 96000}, {C::dwBitrate, 8}};
    QTest::newRow("ABR 64 kbps at 22050 Hz")
        << choices(4, 1, 7) << Fields{{C::nVbrMethod, 4}, {C::dwVbrAbr_bps, 64000}, {C::bEnableVBR, -1},
                                      {C::dwBitrate, 8},  {C::dwMaxBitrate, 160},   {C::dwMpegVersion, 0}};
    QTest::newRow("CBR 24 kbps at 44100 Hz falls back to 128") << choices(7, 0, 2)
                                                               << Fields{{C::bEnableVBR, 0},
                                                                         {C::dwBitrate, 128},
                                                                         {C::dwMaxBitrate, 320},
                                                                         {C::dwMpegVersion, 1},
                                                                         {C::dwSampleRate, 44100}};
    QTest::newRow("CBR 144 kbps at 16000 Hz stays") << choices(3, 0, 12) << Fields{{C::dwBitrate, 144}};
    QTest::newRow("CBR 192 kbps at 16000 Hz falls back") << choices(3, 0, 14) << Fields{{C::dwBitrate, 128}};
    QTest::newRow("VBR at 48000 Hz validates both bitrates")
        << choices(8, 2, 13, 12, 2, 0, 7)
        << Fields{{C::nVbrMethod, 0},     {C::nVBRQuality, 7}, {C::dwBitrate, 160},
                  {C::dwMaxBitrate, 128}, {C::bEnableVBR, -1}, {C::dwVbrAbr_bps, 0}};
    QTest::newRow("quality item 0") << choices(4, -1, 7, 7, 0) << Fields{{C::nQuality, 0xFF00}};
    QTest::newRow("quality item 2") << choices(4, -1, 7, 7, 2) << Fields{{C::nQuality, 0xFD02}};
    QTest::newRow("quality item 9") << choices(4, -1, 7, 7, 9) << Fields{{C::nQuality, 0xF609}};
    QTest::newRow("no channel item") << choices(4, -1, 7, 7, 2, -1) << Fields{{C::nMode, 0}};
    QTest::newRow("stereo") << choices(4, -1, 7, 7, 2, 1) << Fields{{C::nMode, 0}};
    QTest::newRow("joint stereo") << choices(4, -1, 7, 7, 2, 2) << Fields{{C::nMode, 1}};
}

void TestEncoderConfig::fillRecord()
{
    QFETCH(Mp3Choices, choices);
    QFETCH(Fields, expected);
    const EncoderConfig c = FillEncoderConfig(choices).config;
    QCOMPARE(c.Dword(C::dwConfig), 256u);
    QCOMPARE(c.Dword(C::dwStructVersion), 1u);
    QCOMPARE(c.Dword(C::dwStructSize), 331u);
    for (const auto& [field, value] : expected) {
        const qint64 actual = field == C::nQuality ? c.Word(field) : qint64(c.Int32(field));
        QVERIFY2(
            actual == value,
            qPrintable(QStringLiteral("offset %1: %2 instead of %3").arg(int(field)).arg(actual).arg(value)));
    }
    for (int i = C::btReserved; i < C::Size; ++i) {
        QCOMPARE(c.Data()[i], 0);
    }
}

void TestEncoderConfig::presetModesSetOnlyThePreset_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("preset");
    const QList<int> presets{4,  3,  0,  1,    2,    3,    5,    6,    7,    8,    9,    10,   11,
                             12, 13, 14, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};
    const QStringList texts = Mp3Tables::modeTexts();
    for (int i = 0; i < presets.size(); ++i) {
        QTest::newRow(qPrintable(texts[i + 3])) << i + 3 << texts[i + 3] << presets[i];
    }
}

// Besides the preset, the constant and average bitrate presets take the validated bitrate
// (144 kbps here: kept at 22050 Hz, 128 at 44100 Hz).
void TestEncoderConfig::presetModesSetOnlyThePreset()
{
    QFETCH(int, item);
    QFETCH(int, preset);
    for (int rate : {4, 7}) {
        Mp3Choices picked = choices(rate, item, 12, 2, 5, 2, 6);
        EncoderConfig withPreset = FillEncoderConfig(picked).config;
        QCOMPARE(withPreset.Int32(C::nPreset), preset);
        picked.modeItem = -1;
        EncoderConfig defaults = FillEncoderConfig(picked).config;
        const std::uint32_t kbps = rate == 4 ? 144 : 128;
        if (preset == 12) {
            QCOMPARE(withPreset.Dword(C::dwBitrate), kbps);
            withPreset.SetDword(C::dwBitrate, defaults.Dword(C::dwBitrate));
        } else if (preset == 11) {
            QCOMPARE(withPreset.Dword(C::dwVbrAbr_bps), kbps * 1000);
            withPreset.SetDword(C::dwVbrAbr_bps, 0);
        }
        withPreset.SetInt32(C::nPreset, -1);
        QVERIFY(withPreset == defaults);
    }
}

void TestEncoderConfig::streamFormatFollowsSampleRate_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("mpegVersion");
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    QTest::addColumn<int>("channelsItem");
    const char* channelNames[] = {"mono", "stereo", "joint stereo"};
    for (int i = 0; i < 9; ++i) {
        for (int channels = 0; channels < 3; ++channels) {
            // 16-bit mono at 8000 Hz is 6, 16-bit stereo 7; each rate adds 4.
            QTest::addRow("%d %s", rates[i], channelNames[channels])
                << i << rates[i] << (channels == 0 ? 6 : 7) + 4 * i << (i >= 6 ? 1 : 0) << channels;
        }
    }
}

void TestEncoderConfig::streamFormatFollowsSampleRate()
{
    QFETCH(int, item);
    QFETCH(int, rate);
    QFETCH(int, format);
    QFETCH(int, mpegVersion);
    QFETCH(int, channelsItem);
    const FilledEncoderConfig filled = FillEncoderConfig(choices(item, 0, 7, 7, 2, channelsItem));
    QCOMPARE(filled.streamFormatType, format);
    QCOMPARE(filled.config.Int32(C::dwSampleRate), rate);
    QCOMPARE(filled.config.Int32(C::dwReSampleRate), rate);
    QCOMPARE(filled.config.Int32(C::dwMpegVersion), mpegVersion);
    QCOMPARE(Mp3Tables::sampleRateTexts()[item], QStringLiteral("%1 Hz").arg(rate));
}

void TestEncoderConfig::byteLayout()
{
    const QByteArray bytes = FillEncoderConfig(choices(7, 1, 11)).config.ToBytes();
    QCOMPARE(bytes.size(), 331);
    QCOMPARE(bytes.mid(0, 12), QByteArray::fromHex("00010000010000004b010000"));
    QCOMPARE(bytes.mid(12, 8), QByteArray::fromHex("44ac000044ac0000"));
    QCOMPARE(bytes.mid(32, 4), QByteArray::fromHex("ffffffff"));
    QCOMPARE(bytes.mid(60, 12), QByteArray::fromHex("ffffffffffffffffffffffff")); // original, info frame, VBR
    QCOMPARE(bytes.mid(76, 8), QByteArray::fromHex("00f4010004000000"));          // 128000, method 4
    QCOMPARE(bytes.mid(88, 6), QByteArray::fromHex("ffffffff02fd"));
    QCOMPARE(bytes.mid(94), QByteArray(237, '\0'));
    QCOMPARE(EncoderConfig::FromBytes(bytes).ToBytes(), bytes);
}

void TestEncoderConfig::checkBitrate_data()
{
    QTest::addColumn<MpegClass>("mpegClass");
    QTest::addColumn<int>("kbps");
    QTest::addColumn<int>("expected");
    const QList<int> notMpeg1{8, 16, 24, 144};
    const QList<int> notMpeg2{192, 224, 256, 320};
    for (int item = 0; item < Mp3Tables::BitrateCount; ++item) {
        const int kbps = Mp3Tables::bitrateKbps(item);
        QTest::addRow("MPEG-1 %d", kbps)
            << MpegClass::Mpeg1 << kbps << (notMpeg1.contains(kbps) ? 128 : kbps);
        QTest::addRow("MPEG-2 %d", kbps)
            << MpegClass::Mpeg2 << kbps << (notMpeg2.contains(kbps) ? 128 : kbps);
    }
    QTest::newRow("MPEG-1 0") << MpegClass::Mpeg1 << 0 << 128;
    QTest::newRow("MPEG-2 negative") << MpegClass::Mpeg2 << -64 << 128;
    QTest::newRow("MPEG-1 between items") << MpegClass::Mpeg1 << 100 << 128;
}

void TestEncoderConfig::checkBitrate()
{
    QFETCH(MpegClass, mpegClass);
    QFETCH(int, kbps);
    QFETCH(int, expected);
    QCOMPARE(CheckBitrate(mpegClass, kbps), expected);
}

void TestEncoderConfig::badInputIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(9, 0)));
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(-1, 0)));
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(4, 29)));
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(4, 0, 18)));
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(4, -1, 7, 7, 10)));
    QVERIFY_THROWS_EXCEPTION(VemoError, FillEncoderConfig(choices(4, 2, 7, 7, 2, 0, 10)));
    QVERIFY_THROWS_EXCEPTION(VemoError, EncoderConfig::FromBytes(QByteArray(330, '\0')));
}

QTEST_APPLESS_MAIN(TestEncoderConfig)
#include "tst_encoderconfig.moc"

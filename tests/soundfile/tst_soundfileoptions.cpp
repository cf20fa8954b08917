#include "files/VemoError.h"
#include "folder/BookWorkers.h"
#include "folder/FolderArguments.h"
#include "folder/UnitFileSelectDir.h"
#include "soundfile/Mp3Tables.h"
#include "soundfile/SoundFileOptions.h"
#include "soundfile/SoundFileOptionsPanel.h"
#include "soundfile/ToFileArguments.h"
#include "soundfile/UnitFileSelect.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// One set of sound-file options travels unchanged through every place that holds it: the
// command line of vemo --to-file and of the folder commands, the options panel of both
// dialogs, and the settings a folder run hands its worker processes.
class TestSoundFileOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLinesRead_data() { Options_data(); }
    void commandLinesRead();
    void panelShowsAndReads_data() { Options_data(); }
    void panelShowsAndReads();
    void dialogsAccept_data() { Options_data(); }
    void dialogsAccept();
    void workersGetThem_data() { Options_data(); }
    void workersGetThem();
    void derivedRecordAndFormat();
    void tabOrderOfTheDialogs_data();
    void tabOrderOfTheDialogs();

private:
    void Options_data();
    QTemporaryDir m_dir;
};

namespace {

SoundFileOptions Divided(const QString& limit)
{
    SoundFileOptions options;
    options.divide = true;
    options.partCharLimit = limit;
    return options;
}

SoundFileOptions Mp3(void (*choose)(Mp3Choices&))
{
    SoundFileOptions options;
    options.mp3 = true;
    choose(options.mp3Choices);
    return options;
}

} // namespace

void TestSoundFileOptions::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("VEMO_SETTINGS_DIR", m_dir.path().toUtf8()); // the folder dialog's "opsDir.txt"
}

// Each kind of option, as the command line gives it and as the options hold it.
void TestSoundFileOptions::Options_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<SoundFileOptions>("options");
    SoundFileOptions format4;
    format4.wavFormat = 4;
    SoundFileOptions format39;
    format39.wavFormat = 39;
    QTest::newRow("defaults") << "" << SoundFileOptions();
    QTest::newRow("format by name") << "--format saft8khz8bitmono" << format4;
    QTest::newRow("last format by number") << "--format 39" << format39;
    QTest::newRow("divided") << "--divide 500" << Divided("500");
    QTest::newRow("divided, no limit") << "--divide 0" << Divided("0");
    QTest::newRow("mp3 defaults") << "--mp3" << Mp3([](Mp3Choices&) {});
    QTest::newRow("sample rate") << "--mp3 --sample-rate 48000"
                                 << Mp3([](Mp3Choices& c) { c.sampleRateItem = 8; });
    QTest::newRow("channels") << "--mp3 --channels joint" << Mp3([](Mp3Choices& c) { c.channelsItem = 2; });
    QTest::newRow("mode") << "--mp3 --mode vbr" << Mp3([](Mp3Choices& c) { c.modeItem = 2; });
    QTest::newRow("preset") << "--mp3 --mode LQP_STUDIO" << Mp3([](Mp3Choices& c) { c.modeItem = 28; });
    // The list keeps a bitrate the sample rate cannot take; the record gets 128 kbps.
    QTest::newRow("bitrate the rate cannot take")
        << "--mp3 --sample-rate 44100 --bitrate 24" << Mp3([](Mp3Choices& c) {
               c.sampleRateItem = 7;
               c.bitrateItem = 2;
           });
    QTest::newRow("max bitrate") << "--mp3 --max-bitrate 320"
                                 << Mp3([](Mp3Choices& c) { c.bitrateMaxItem = 17; });
    QTest::newRow("vbr quality") << "--mp3 --vbr-quality 9" << Mp3([](Mp3Choices& c) { c.vbrQuality = 9; });
    QTest::newRow("algorithm quality")
        << "--mp3 --quality 0" << Mp3([](Mp3Choices& c) { c.qualityItem = 0; });
    SoundFileOptions all = Mp3([](Mp3Choices& c) { c = {0, 1, 1, 1, 3, 4, 7}; });
    all.divide = true;
    all.partCharLimit = "20";
    QTest::newRow("all together")
        << "--divide 20 --mp3 --sample-rate 8000 --channels stereo --mode abr --bitrate 16 --max-bitrate 32 "
           "--vbr-quality 4 --quality 7"
        << all;
}

void TestSoundFileOptions::commandLinesRead()
{
    QFETCH(QString, line);
    QFETCH(SoundFileOptions, options);
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(ParseToFileArguments(QStringList{"t", "o"} + words).options.sound, options);
    QCOMPARE(ParseFolderArguments("vemo --convert-folder", QStringList{m_dir.path()} + words, DirSettings())
                 .settings.sound,
             options);
}

void TestSoundFileOptions::panelShowsAndReads()
{
    QFETCH(SoundFileOptions, options);
    for (const auto arrangement :
         {SoundFileOptionsPanel::Arrangement::Column, SoundFileOptionsPanel::Arrangement::Compact}) {
        SoundFileOptionsPanel panel(arrangement);
        panel.SetOptions(options);
        QCOMPARE(panel.Options(), options);
        QCOMPARE(panel.EditMaxSimvolInFragm->text(), options.partCharLimit);
        QCOMPARE(panel.CBStreamFormattype->isEnabled(), !options.mp3);
    }
}

void TestSoundFileOptions::dialogsAccept()
{
    QFETCH(SoundFileOptions, options);
    QWidget parent;
    TFormFileSelect soundFile(&parent);
    soundFile.PanelSoundFile->SetOptions(options);
    soundFile.EditNameFile->setText("tale.wav");
    soundFile.ButtonOk->click();
    QVERIFY(soundFile.Accepted);
    QCOMPARE(soundFile.SoundFile, options);
    TFormFileSelectDir folder(&parent);
    folder.PanelSoundFile->SetOptions(options);
    folder.EditNameFileDir->setText(m_dir.path());
    folder.Accept();
    QVERIFY(folder.Accepted);
    QCOMPARE(folder.SoundFile, options);
}

void TestSoundFileOptions::workersGetThem()
{
    QFETCH(SoundFileOptions, options);
    FolderRunSettings settings;
    settings.sound = options;
    QFile file(m_dir.filePath("worker.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WorkerSettingsJson(settings, WorkerLaunch()));
    file.close();
    FolderRunSettings read;
    WorkerLaunch launch;
    ReadWorkerSettings(file.fileName(), read, launch);
    QCOMPARE(read.sound, options);
}

// The WAV format and the encoder record follow the MP3 choices only when converting; the
// characters per part are read as typed.
void TestSoundFileOptions::derivedRecordAndFormat()
{
    SoundFileOptions options;
    options.wavFormat = 4;
    options.mp3Choices.channelsItem = 1; // stereo
    QCOMPARE(options.StreamFormatType(), 4);
    QVERIFY(options.EncoderConfig() == EncoderConfig());
    options.mp3 = true;
    QCOMPARE(options.StreamFormatType(), 23); // 16-bit stereo at 22050 Hz
    QCOMPARE(options.EncoderConfig().Dword(EncoderConfig::dwSampleRate), 22050u);
    QCOMPARE(options.EncoderConfig().Int32(EncoderConfig::nMode), EncoderConfig::ModeStereo);
    options.partCharLimit = " 250 ";
    QCOMPARE(options.PartCharLimit(), 250);
    options.partCharLimit = "много";
    QVERIFY_THROWS_EXCEPTION(VemoError, options.PartCharLimit());
    options.mp3Choices.sampleRateItem = Mp3Tables::SampleRateCount;
    QVERIFY_THROWS_EXCEPTION(VemoError, options.StreamFormatType());
}

// The panel's controls sit in each dialog's tab order where the dialog's own rows put them.
void TestSoundFileOptions::tabOrderOfTheDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("order"); // from the control before the panel to the one after it
    const QStringList mp3{"CBoxSampleRate", "CBoxChannels",    "CBoxMode",   "CBoxBitrate",
                          "CBoxBitrateMax", "TkBarVBRQuality", "CBoxQuality"};
    QTest::newRow("sound-file dialog") << "TFormFileSelect"
                                       << QStringList{"ButtonCancel", "CBStreamFormattype", "CBoxDivFile",
                                                      "EditMaxSimvolInFragm", "CheckBoxMP3"} +
                                              mp3 + QStringList{"EditNameFile"};
    QTest::newRow("folder dialog") << "TFormFileSelectDir"
                                   << QStringList{"CheckBoxBooks", "CBStreamFormattype",
                                                  "EditMaxSimvolInFragm", "CBoxDivFile", "CheckBoxMP3"} +
                                          mp3 + QStringList{"Editffmpeg"};
}

void TestSoundFileOptions::tabOrderOfTheDialogs()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, order);
    QWidget parent;
    std::unique_ptr<QDialog> shown;
    if (dialog == "TFormFileSelect")
        shown = std::make_unique<TFormFileSelect>(&parent);
    else
        shown = std::make_unique<TFormFileSelectDir>(&parent);
    QWidget* control = shown->findChild<QWidget*>(order.first());
    QVERIFY(control);
    QStringList walked{control->objectName()};
    for (int step = 0; step < 200 && walked.size() < order.size(); ++step) {
        control = control->nextInFocusChain();
        if (control->focusPolicy() & Qt::TabFocus)
            walked.append(control->objectName());
    }
    QCOMPARE(walked, order);
}

QTEST_MAIN(TestSoundFileOptions)
#include "tst_soundfileoptions.moc"

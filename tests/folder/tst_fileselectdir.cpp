#include "folder/UnitFileSelectDir.h"
#include "folder/VideoTemplates.h"
#include "soundfile/Mp3Panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class TestFileSelectDir : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void designedDefaults();
    void settingsSurviveProgramRuns();
    void badSettingsValueIsReported();
    void accept_data();
    void accept();
    void acceptWithMp3ThenCancel();
    void labelRestoresTemplate();
    void checkBoxesEnableControls();
    void converterFolderBrowser_data();
    void converterFolderBrowser();

private:
    std::unique_ptr<QTemporaryDir> m_settingsDir;
};

void TestFileSelectDir::init()
{
    m_settingsDir = std::make_unique<QTemporaryDir>();
    qputenv("VEMO_SETTINGS_DIR", m_settingsDir->path().toUtf8());
}

void TestFileSelectDir::designedDefaults()
{
    TFormFileSelectDir dialog;
    QVERIFY(dialog.LoadError().isEmpty());
    QCOMPARE(dialog.size(), QSize(481, 532));
    QCOMPARE(dialog.Editffmpeg->text(), QString("/usr/bin"));
    QCOMPARE(dialog.EditCover->text(), QString("Cover.jpg"));
    QCOMPARE(dialog.EditCmd->text(), DirSettings::DefaultCommandTemplate());
    QVERIFY(dialog.EditNameFileDir->text().isEmpty());
    QVERIFY(!dialog.CheckBoxAvi->isChecked());
    QVERIFY(!dialog.CheckBoxBooks->isChecked());
    QCOMPARE(dialog.CoverRule(), 0);
    QCOMPARE(dialog.CBStreamFormattype->currentText(), QString("  SAFT44kHz16BitMono"));
    QVERIFY(dialog.EditMaxSimvolInFragm->isEnabled());
}

void TestFileSelectDir::settingsSurviveProgramRuns()
{
    {
        TFormFileSelectDir dialog;
        dialog.Editffmpeg->setText("/opt/ff");
        dialog.EditNameFileDir->setText(" /книги ");
        dialog.CheckBoxAvi->setChecked(true);
        dialog.CheckBoxBooks->setChecked(true);
        dialog.SetCoverRule(-1);
        // What the program does once at exit.
        dialog.SaveSettings();
    }
    QFile file(m_settingsDir->filePath("opsDir.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written.count("\r\n"), 7);
    QVERIFY(
        written.endsWith("CheckBoxAvi.Checked=1\r\nRGroupCover.ItemIndex=-1\r\nCheckBoxBooks.Checked=1\r\n"));
    TFormFileSelectDir dialog;
    QCOMPARE(dialog.Editffmpeg->text(), QString("/opt/ff"));
    QCOMPARE(dialog.EditNameFileDir->text(), QString(" /книги "));
    QVERIFY(dialog.CheckBoxAvi->isChecked());
    QVERIFY(dialog.CheckBoxBooks->isChecked());
    QCOMPARE(dialog.CoverRule(), -1);
}

void TestFileSelectDir::badSettingsValueIsReported()
{
    QFile file(m_settingsDir->filePath("opsDir.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("formfileselectdir.editcover.text=c.jpg\r\nRGroupCover.ItemIndex=abc\r\n");
    file.close();
    TFormFileSelectDir dialog;
    QVERIFY2(dialog.LoadError().startsWith("'abc' is not a valid integer value"),
             qPrintable(dialog.LoadError()));
    QCOMPARE(dialog.EditCover->text(), QString("c.jpg"));
    QVERIFY(dialog.Editffmpeg->text().isEmpty());
    QCOMPARE(dialog.CoverRule(), 0);
}

void TestFileSelectDir::accept_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("formatItem");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("streamFormat"); // 0: refused, the result stays as it was
    QTest::newRow("empty folder") << "" << 0 << false << 0;
    QTest::newRow("blank folder") << "  \t " << 0 << false << 0;
    QTest::newRow("no stream format") << "/books" << -1 << false << 0;
    QTest::newRow("blanks kept") << " /books " << 30 << true << 34;
    QTest::newRow("first format") << "/books" << 0 << true << 4;
}

void TestFileSelectDir::accept()
{
    QFETCH(QString, folder);
    QFETCH(int, formatItem);
    QFETCH(bool, accepted);
    QFETCH(int, streamFormat);
    TFormFileSelectDir dialog;
    dialog.show();
    dialog.EditNameFileDir->setText(folder);
    dialog.CBStreamFormattype->setCurrentIndex(formatItem);
    QTest::mouseClick(dialog.ButtonOk, Qt::LeftButton);
    QCOMPARE(dialog.Accepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    if (accepted)
        QCOMPARE(dialog.SoundFile.StreamFormatType(), streamFormat);
    else
        QVERIFY(dialog.SoundFile == SoundFileOptions());
    QCOMPARE(dialog.FolderName, accepted ? folder : QString());
}

void TestFileSelectDir::acceptWithMp3ThenCancel()
{
    TFormFileSelectDir dialog;
    dialog.EditNameFileDir->setText("/books");
    dialog.CheckBoxMP3->setChecked(true);
    dialog.PanelMp3->CBoxSampleRate->setCurrentIndex(4); // "22050 Hz"
    dialog.Accept();
    QVERIFY(dialog.Accepted);
    QCOMPARE(dialog.SoundFile.StreamFormatType(),
             22); // 16-bit mono at the MP3 rate, whatever the WAV list shows
    QCOMPARE(dialog.SoundFile.EncoderConfig().Dword(EncoderConfig::bEnableVBR),
             0u); // CBR, as the mode list shows
    QCOMPARE(dialog.SoundFile.EncoderConfig().Dword(EncoderConfig::dwBitrate), 64u);
    dialog.PanelMp3->CBoxChannels->setCurrentIndex(2); // "Joint Stereo  "
    dialog.Accept();
    QCOMPARE(dialog.SoundFile.StreamFormatType(), 23);
    QCOMPARE(dialog.SoundFile.EncoderConfig().Int32(EncoderConfig::nMode), 1);
    QCOMPARE(dialog.SoundFile.EncoderConfig().Dword(EncoderConfig::dwSampleRate), 22050u);
    dialog.show();
    QTest::mouseClick(dialog.ButtonCancel, Qt::LeftButton);
    QVERIFY(!dialog.Accepted && !dialog.isVisible());
    QCOMPARE(dialog.SoundFile.EncoderConfig().Dword(EncoderConfig::dwSampleRate),
             22050u); // kept from the acceptance
}

void TestFileSelectDir::labelRestoresTemplate()
{
    TFormFileSelectDir dialog;
    dialog.show();
    dialog.EditCmd->setText("-i %fsnd");
    QTest::mouseClick(dialog.ButtonCmdMp4, Qt::LeftButton);
    QCOMPARE(dialog.EditCmd->text(), VideoTemplates::Mp4WithSubtitles());
    QTest::mouseClick(dialog.LabelCMD, Qt::LeftButton);
    QCOMPARE(dialog.EditCmd->text(), DirSettings::DefaultCommandTemplate());
}

void TestFileSelectDir::checkBoxesEnableControls()
{
    TFormFileSelectDir dialog;
    dialog.CheckBoxMP3->setChecked(true);
    dialog.Activate();
    QVERIFY(!dialog.CBStreamFormattype->isEnabled());
    QVERIFY(dialog.PanelMp3->CBoxQuality->isEnabled());
    dialog.show();
    dialog.CheckBoxAvi->click();
    QVERIFY(dialog.CheckBoxAvi->isChecked());
    QVERIFY(!dialog.CBStreamFormattype->isEnabled());
    QVERIFY(dialog.PanelMp3->CBoxQuality->isEnabled());
    dialog.CheckBoxMP3->click();
    QVERIFY(dialog.CBStreamFormattype->isEnabled());
    QVERIFY(!dialog.PanelMp3->CBoxSampleRate->isEnabled());
    dialog.CBoxDivFile->click();
    QVERIFY(dialog.EditMaxSimvolInFragm->isEnabled());
    dialog.CBoxDivFile->click();
    QVERIFY(!dialog.EditMaxSimvolInFragm->isEnabled());
}

void TestFileSelectDir::converterFolderBrowser_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void TestFileSelectDir::converterFolderBrowser()
{
    QFETCH(bool, confirm);
    QTemporaryDir tools;
    TFormFileSelectDir dialog;
    dialog.show();
    dialog.Editffmpeg->setText(tools.path());
    QString startFolder;
    QTimer poll; // the browser runs its own event loop: answer it from there
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        for (auto* browser : dialog.findChildren<QFileDialog*>()) {
            if (browser == dialog.OpenDialogJpg || !browser->isVisible())
                continue;
            poll.stop();
            startFolder = browser->directory().absolutePath();
            browser->setDirectory(tools.path() + "/..");
            QMetaObject::invokeMethod(browser, confirm ? "accept" : "reject");
        }
    });
    poll.start(50);
    QTest::mouseClick(dialog.ButtonFfmpeGetDir, Qt::LeftButton);
    QCOMPARE(startFolder, tools.path());
    QCOMPARE(dialog.Editffmpeg->text(),
             confirm ? QFileInfo(tools.path() + "/..").canonicalFilePath() : tools.path());
}

QTEST_MAIN(TestFileSelectDir)
#include "tst_fileselectdir.moc"

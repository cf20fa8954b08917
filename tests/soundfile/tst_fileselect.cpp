#include "soundfile/Mp3Panel.h"
#include "soundfile/UnitFileSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFileSelect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void initialState();
    void listsArePickOnly();
    void enablingFollowsTheCheckBoxes();
    void okRefusesSilently_data();
    void okRefusesSilently();
    void okResults_data();
    void okResults();
    void bitrateSnapsOnPicking_data();
    void bitrateSnapsOnPicking();
    void laterRateChangeIsCheckedAtOk();
    void cancelKeepsEarlierResults();
    void saveAsFillsTheName();
    void fixedSizeCentredOnParent();

private:
    template <typename W> W* find(const char* name) const
    {
        W* widget = m_dialog->findChild<W*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    void pick(const char* list, int item) const
    {
        auto* box = find<QComboBox>(list);
        box->setCurrentIndex(item);
        emit box->activated(item); // what a pick in the drop-down list sends
    }
    bool messageBoxShown() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) && w->isVisible()) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<QWidget> m_parent;
    TFormFileSelect* m_dialog = nullptr;
};

void TestFileSelect::init()
{
    m_parent = std::make_unique<QWidget>();
    m_parent->setGeometry(20, 20, 760, 560);
    m_dialog = new TFormFileSelect(m_parent.get());
}

void TestFileSelect::cleanup()
{
    m_parent.reset();
}

void TestFileSelect::initialState()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Выбери имя аудио-файла и его свойства "));
    QVERIFY(!m_dialog->Accepted);
    QCOMPARE(find<QPushButton>("ButtonOk")->text(), QStringLiteral("П&ринять - ОК"));
    auto* formats = find<QComboBox>("CBStreamFormattype");
    QCOMPARE(formats->count(), 36);
    QCOMPARE(formats->itemText(0), QStringLiteral("  SAFT8kHz8BitMono"));
    QCOMPARE(formats->itemText(35), QStringLiteral("  SAFT48kHz16BitStereo"));
    QCOMPARE(formats->currentText(), QStringLiteral("  SAFT44kHz16BitMono"));
    QCOMPARE(find<QLineEdit>("EditMaxSimvolInFragm")->text(), QStringLiteral("1000"));
    QVERIFY(find<QLineEdit>("EditMaxSimvolInFragm")->isEnabled());
    QVERIFY(!find<QCheckBox>("CBoxDivFile")->isChecked());
    QVERIFY(!find<QCheckBox>("CheckBoxMP3")->isChecked());
    QCOMPARE(find<QComboBox>("CBoxSampleRate")->currentText(), QStringLiteral("22050 Hz"));
    QCOMPARE(find<QComboBox>("CBoxChannels")->currentText(), QStringLiteral("Mono  "));
    QCOMPARE(find<QComboBox>("CBoxMode")->currentIndex(), 0);
    QCOMPARE(find<QComboBox>("CBoxMode")->currentText(), QStringLiteral("CBR-Constant Bitrate"));
    QCOMPARE(find<QComboBox>("CBoxMode")->count(), 29);
    QCOMPARE(find<QComboBox>("CBoxBitrate")->currentText(), QStringLiteral("64 kbps"));
    QCOMPARE(find<QComboBox>("CBoxQuality")->currentText(), QStringLiteral("2 - высокое качество"));
    auto* vbr = find<QSlider>("TkBarVBRQuality");
    QCOMPARE(vbr->maximum(), 9);
    QCOMPARE(vbr->value(), 0);
    QCOMPARE(vbr->singleStep(), 5);
    QCOMPARE(find<QLabel>("LabelVrbQ")->text(), QString());
}

void TestFileSelect::listsArePickOnly()
{
    for (const char* name : {"CBStreamFormattype", "CBoxSampleRate", "CBoxChannels", "CBoxMode",
                             "CBoxBitrate", "CBoxBitrateMax", "CBoxQuality"}) {
        QVERIFY2(!find<QComboBox>(name)->isEditable(), name);
    }
}

void TestFileSelect::enablingFollowsTheCheckBoxes()
{
    const QList<const char*> panel{"CBoxSampleRate", "CBoxChannels",    "CBoxMode",   "CBoxBitrate",
                                   "CBoxBitrateMax", "TkBarVBRQuality", "CBoxQuality"};
    m_dialog->show();
    QCOMPARE(find<QLabel>("LabelVrbQ")->text(), QStringLiteral("0"));
    QVERIFY(find<QComboBox>("CBStreamFormattype")->isEnabled());
    for (const char* name : panel) {
        QVERIFY2(!find<QWidget>(name)->isEnabled(), name);
    }
    QVERIFY(find<QLabel>("LabelSampleRate")->isEnabled());
    find<QCheckBox>("CheckBoxMP3")->click();
    QVERIFY(!find<QComboBox>("CBStreamFormattype")->isEnabled());
    for (const char* name : panel) {
        QVERIFY2(find<QWidget>(name)->isEnabled(), name);
    }
    find<QSlider>("TkBarVBRQuality")->setValue(6);
    QCOMPARE(find<QLabel>("LabelVrbQ")->text(), QStringLiteral("6"));
    find<QCheckBox>("CBoxDivFile")->click();
    QVERIFY(find<QLineEdit>("EditMaxSimvolInFragm")->isEnabled());
    find<QCheckBox>("CBoxDivFile")->click();
    QVERIFY(!find<QLineEdit>("EditMaxSimvolInFragm")->isEnabled());
    m_dialog->hide();
    m_dialog->show(); // showing again keeps the MP3 state
    QVERIFY(!find<QComboBox>("CBStreamFormattype")->isEnabled());
    QVERIFY(find<QWidget>("CBoxQuality")->isEnabled());
}

void TestFileSelect::okRefusesSilently_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty name") << QString();
    QTest::newRow("blanks only") << QStringLiteral("    ");
}

void TestFileSelect::okRefusesSilently()
{
    QFETCH(QString, name);
    m_dialog->show();
    find<QLineEdit>("EditNameFile")->setText(name);
    find<QPushButton>("ButtonOk")->click();
    QVERIFY(m_dialog->isVisible());
    QVERIFY(!m_dialog->Accepted);
    QVERIFY(!messageBoxShown());
}

void TestFileSelect::okResults_data()
{
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<int>("formatItem");
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<int>("channelsItem");
    QTest::addColumn<int>("streamFormat");
    QTest::newRow("WAV only, item 30") << false << 30 << 4 << 0 << 34;
    QTest::newRow("WAV only, item 0") << false << 0 << 4 << 0 << 4;
    QTest::newRow("MP3 at 22050 Hz, mono") << true << 30 << 4 << 0 << 22;
    QTest::newRow("MP3 at 48000 Hz, mono") << true << 2 << 8 << 0 << 38;
    QTest::newRow("MP3 at 22050 Hz, stereo") << true << 30 << 4 << 1 << 23;
    QTest::newRow("MP3 at 48000 Hz, joint stereo") << true << 2 << 8 << 2 << 39;
}

void TestFileSelect::okResults()
{
    QFETCH(bool, mp3);
    QFETCH(int, formatItem);
    QFETCH(int, rateItem);
    QFETCH(int, channelsItem);
    QFETCH(int, streamFormat);
    m_dialog->show();
    find<QLineEdit>("EditNameFile")->setText(QStringLiteral("  /tmp/книга.wav "));
    find<QComboBox>("CBStreamFormattype")->setCurrentIndex(formatItem);
    find<QCheckBox>("CheckBoxMP3")->setChecked(mp3);
    find<QComboBox>("CBoxSampleRate")->setCurrentIndex(rateItem);
    find<QComboBox>("CBoxChannels")->setCurrentIndex(channelsItem);
    find<QPushButton>("ButtonOk")->click();
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_dialog->Accepted);
    QCOMPARE(m_dialog->ChosenFileName, QStringLiteral("  /tmp/книга.wav "));
    QCOMPARE(m_dialog->SoundFile.StreamFormatType(), streamFormat);
    QCOMPARE(m_dialog->SoundFile.EncoderConfig().Dword(EncoderConfig::dwConfig), mp3 ? 256u : 0u);
}

void TestFileSelect::bitrateSnapsOnPicking_data()
{
    QTest::addColumn<int>("rateItem");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("picked");
    QTest::addColumn<QString>("shown");
    QTest::newRow("24 kbps at 44100 Hz") << 7 << "CBoxBitrate" << 2 << "128 kbps";
    QTest::newRow("144 kbps at 44100 Hz") << 7 << "CBoxBitrate" << 12 << "128 kbps";
    QTest::newRow("192 kbps at 16000 Hz") << 3 << "CBoxBitrate" << 14 << "128 kbps";
    QTest::newRow("144 kbps at 16000 Hz stays") << 3 << "CBoxBitrate" << 12 << "144 kbps";
    QTest::newRow("320 kbps at 48000 Hz stays") << 8 << "CBoxBitrate" << 17 << "320 kbps";
    QTest::newRow("max 8 kbps at 32000 Hz") << 6 << "CBoxBitrateMax" << 0 << "128 kbps";
    QTest::newRow("max 256 kbps at 8000 Hz") << 0 << "CBoxBitrateMax" << 16 << "128 kbps";
    QTest::newRow("max 8 kbps at 8000 Hz stays") << 0 << "CBoxBitrateMax" << 0 << "8 kbps";
}

void TestFileSelect::bitrateSnapsOnPicking()
{
    QFETCH(int, rateItem);
    QFETCH(QString, list);
    QFETCH(int, picked);
    QFETCH(QString, shown);
    pick("CBoxSampleRate", rateItem);
    pick(qPrintable(list), picked);
    QCOMPARE(find<QComboBox>(qPrintable(list))->currentText(), shown);
}

void TestFileSelect::laterRateChangeIsCheckedAtOk()
{
    m_dialog->show();
    find<QCheckBox>("CheckBoxMP3")->setChecked(true);
    pick("CBoxSampleRate", 4);
    pick("CBoxBitrate", 2);
    QCOMPARE(find<QComboBox>("CBoxBitrate")->currentText(), QStringLiteral("24 kbps"));
    pick("CBoxSampleRate", 7);
    pick("CBoxMode", 0);
    find<QLineEdit>("EditNameFile")->setText(QStringLiteral("a.wav"));
    find<QPushButton>("ButtonOk")->click();
    QCOMPARE(m_dialog->SoundFile.EncoderConfig().Dword(EncoderConfig::dwBitrate), 128u);
    QCOMPARE(m_dialog->SoundFile.EncoderConfig().Dword(EncoderConfig::bEnableVBR), 0u);
    QCOMPARE(find<QComboBox>("CBoxBitrate")->currentText(), QStringLiteral("24 kbps"));
}

void TestFileSelect::cancelKeepsEarlierResults()
{
    m_dialog->show();
    find<QLineEdit>("EditNameFile")->setText(QStringLiteral("first.wav"));
    find<QCheckBox>("CheckBoxMP3")->setChecked(true);
    pick("CBoxMode", 1);
    find<QPushButton>("ButtonOk")->click();
    const EncoderConfig earlier = m_dialog->SoundFile.EncoderConfig();
    QCOMPARE(earlier.Dword(EncoderConfig::dwVbrAbr_bps), 64000u);
    for (bool escape : {false, true}) {
        m_dialog->show();
        find<QLineEdit>("EditNameFile")->setText(QStringLiteral("second.wav"));
        pick("CBoxMode", 0);
        pick("CBoxSampleRate", 8);
        if (escape) {
            QTest::keyClick(m_dialog, Qt::Key_Escape);
        } else {
            find<QPushButton>("ButtonCancel")->click();
        }
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!m_dialog->Accepted);
        QCOMPARE(m_dialog->ChosenFileName, QStringLiteral("first.wav"));
        QCOMPARE(m_dialog->SoundFile.StreamFormatType(), 22); // 16-bit mono at 22050 Hz, as "Mono  " asks
        QVERIFY(m_dialog->SoundFile.EncoderConfig() == earlier);
    }
}

void TestFileSelect::saveAsFillsTheName()
{
    QTemporaryDir dir;
    const QString typed = dir.filePath("глава");
    for (bool accept : {true, false}) {
        QTimer::singleShot(0, m_dialog, [this, typed, accept] {
            auto* save = m_dialog->findChild<QFileDialog*>("SaveDialogWav");
            QVERIFY(save && save->isVisible());
            QCOMPARE(save->nameFilters(), QStringList{"Волновой аудио-файл (*.wav)"});
            if (accept) {
                save->selectFile(typed);
                static_cast<QDialog*>(save)->accept();
            } else {
                save->reject();
            }
        });
        find<QPushButton>("ButtonSaveAs")->click();
    }
    QCOMPARE(find<QLineEdit>("EditNameFile")->text(), typed + ".wav");
    QVERIFY(m_dialog->SaveDialogWav->history().contains(typed + ".wav"));
}

void TestFileSelect::fixedSizeCentredOnParent()
{
    m_parent->show();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    const QPoint offset = m_dialog->frameGeometry().center() - m_parent->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(offset.x())
                                                           .arg(offset.y())
                                                           .arg(m_dialog->width())
                                                           .arg(m_dialog->height())));
}

QTEST_MAIN(TestFileSelect)
#include "tst_fileselect.moc"

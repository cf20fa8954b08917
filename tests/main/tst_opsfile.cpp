#include "files/SettingsFile.h"
#include "files/VemoError.h"
#include "main/OpsFile.h"

#include <QTest>

namespace {

// Records what the file applies; a voice index outside 0..2 is refused as the window would.
class RecordingTarget : public OpsFile::Target
{
public:
    QStringList calls;
    void SetVoiceIndex(const QString& lang, int index) override
    {
        calls << QStringLiteral("voice %1 %2").arg(lang).arg(index);
        if (index < 0 || index > 2)
            throw VemoError(QStringLiteral("selects no voice"));
    }
    // Only the voices "ru1" and "en1" are installed.
    bool SetVoiceId(const QString& lang, const QString& id) override
    {
        const bool installed = id == u"ru1" || id == u"en1";
        calls << QStringLiteral("id %1 %2%3").arg(lang, id, installed ? QString() : QStringLiteral(" gone"));
        return installed;
    }
    void SetGroupVisible(OpsFile::Group group, bool visible) override
    {
        calls << QStringLiteral("%1 %2")
                     .arg(group == OpsFile::Group::Control ? QStringLiteral("control")
                                                           : QStringLiteral("log"))
                     .arg(visible);
    }
};

} // namespace

class TestOpsFile : public QObject
{
    Q_OBJECT

private slots:
    void lines();
    void apply_data();
    void apply();
};

void TestOpsFile::lines()
{
    OpsFile::Values values;
    values.VoiceRuIndex = 3;
    values.VoiceEngIndex = -1;
    values.LogVisible = false;
    values.ControlVisible = true;
    values.VoiceRuId = QStringLiteral("zle/ru+f2");
    QCOMPARE(OpsFile::Lines(values), QStringList({"cbVoicesRu.ItemIndex=3", "cbVoicesEng.ItemIndex=-1",
                                                  "GroupBoxLog.Visible=0", "GroupBoxControl.Visible=1",
                                                  "cbVoicesRu.VoiceId=zle/ru+f2", "cbVoicesEng.VoiceId="}));
}

void TestOpsFile::apply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("error");
    const QString all = QStringLiteral("cbVoicesRu.ItemIndex=1\r\ncbVoicesEng.ItemIndex=2\r\n"
                                       "GroupBoxLog.Visible=0\r\nGroupBoxControl.Visible=1\r\n");
    QTest::newRow("written order, applied in start-up order")
        << all << QStringList{"voice R 1", "voice E 2", "control 1", "log 0"} << QString();
    QTest::newRow("capital letters") << "CBVOICESRU.ITEMINDEX=0\r\nGROUPBOXLOG.VISIBLE=0"
                                     << QStringList{"voice R 0", "log 0"} << QString();
    QTest::newRow("absent and empty values skipped")
        << "cbVoicesEng.ItemIndex=\r\nGroupBoxControl.Visible=0" << QStringList{"control 0"} << QString();
    QTest::newRow("first line of a key wins")
        << "cbVoicesRu.ItemIndex=2\r\ncbVoicesRu.ItemIndex=1" << QStringList{"voice R 2"} << QString();
    QTest::newRow("not an integer stops the rest")
        << "cbVoicesRu.ItemIndex=abc\r\nGroupBoxLog.Visible=0" << QStringList{} << "cbVoicesRu.ItemIndex=abc";
    QTest::newRow("no voice at -1 stops the rest")
        << "cbVoicesRu.ItemIndex=-1\r\ncbVoicesEng.ItemIndex=0\r\nGroupBoxLog.Visible=0"
        << QStringList{"voice R -1"} << "cbVoicesRu.ItemIndex=-1";
    QTest::newRow("bad later value keeps earlier ones")
        << "cbVoicesRu.ItemIndex=1\r\nGroupBoxControl.Visible=yes\r\nGroupBoxLog.Visible=0"
        << QStringList{"voice R 1"} << "GroupBoxControl.Visible=yes";
    QTest::newRow("installed ids win over the indexes, even bad ones")
        << all + "cbVoicesRu.VoiceId=ru1\r\ncbVoicesEng.VoiceId=en1\r\ncbVoicesRu.ItemIndex=9"
        << QStringList{"id R ru1", "id E en1", "control 1", "log 0"} << QString();
    QTest::newRow("an id gone falls back to its index")
        << "cbVoicesRu.ItemIndex=2\r\ncbVoicesEng.ItemIndex=0\r\ncbVoicesRu.VoiceId=zz\r\ncbVoicesEng."
           "VoiceId=en1"
        << QStringList{"id R zz gone", "voice R 2", "id E en1"} << QString();
    QTest::newRow("an id gone and a bad index report the index")
        << "cbVoicesRu.ItemIndex=5\r\ncbVoicesRu.VoiceId=zz\r\nGroupBoxLog.Visible=0"
        << QStringList{"id R zz gone", "voice R 5"} << "cbVoicesRu.ItemIndex=5";
    QTest::newRow("empty id: the index as in an older file")
        << "cbVoicesEng.ItemIndex=1\r\ncbVoicesEng.VoiceId=" << QStringList{"voice E 1"} << QString();
}

void TestOpsFile::apply()
{
    QFETCH(QString, text);
    QFETCH(QStringList, calls);
    QFETCH(QString, error);
    RecordingTarget target;
    QString message;
    try {
        OpsFile::Apply(SettingsFile::FromText(text), QStringLiteral("/cfg/ops.txt"), target);
    } catch (const VemoError& e) {
        message = e.Message();
    }
    QCOMPARE(target.calls, calls);
    if (error.isEmpty()) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
    } else {
        QVERIFY2(message.contains(QStringLiteral("/cfg/ops.txt")), qPrintable(message));
        QVERIFY2(message.contains(error), qPrintable(message));
    }
}

QTEST_APPLESS_MAIN(TestOpsFile)
#include "tst_opsfile.moc"

#include "../main/FormMainFixture.h"
#include "../main/MainControls.h"
#include "PrivateDispatcher.h"
#include "files/VemoError.h"
#include "main/RichTextBox.h"
#include "speech/FileVoiceCheck.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString RuVoice = QStringLiteral("speech-dispatcher/espeak-ng/Russian");
const QString EnVoice = QStringLiteral("speech-dispatcher/espeak-ng/English (America)");

int ServiceEntries(const QComboBox& list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.itemText(i).endsWith(QStringLiteral("[speech-dispatcher: espeak-ng]")) ? 1 : 0;
    return n;
}

qint64 MsToShow(FormMainFixture& fixture)
{
    QElapsedTimer clock;
    clock.start();
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const bool exposed = QTest::qWaitForWindowExposed(&form);
    return exposed ? clock.elapsed() : -1;
}

} // namespace

// speech-dispatcher's voices in the main window: a start that does not wait for the daemon,
// the lists gaining its voices when it has answered, the voices of "ops.txt" taken then, and
// a reading run over two of its voices with every word highlighted in order.
class TestDispatcherWindow : public QObject
{
    Q_OBJECT

private:
    PrivateDispatcher m_daemon;

private slots:
    void initTestCase();
    void startsAsQuickWithDaemonAsWithout();
    void readsWithServiceVoicesOfTheSettings();
    void findsADaemonStartedLater();
    void keepsTheServiceVoiceWhileNoDaemonRuns();
};

void TestDispatcherWindow::initTestCase()
{
    if (!PrivateDispatcher::Installed())
        QSKIP("speech-dispatcher and its espeak-ng module are not installed (tools/packages/test.txt)");
}

// Program start to window shown, without a daemon and with one whose listing takes seconds:
// the daemon adds no more than 200 ms; its voices come into both lists afterwards.
void TestDispatcherWindow::startsAsQuickWithDaemonAsWithout()
{
    qputenv("SPEECHD_ADDRESS", m_daemon.AbsentAddress());
    // The slower of two starts, so that one start slowed by the machine's load does not
    // count against the daemon.
    qint64 without = 0;
    for (int run = 0; run < 2; ++run) {
        FormMainFixture fixture;
        const qint64 ms = MsToShow(fixture);
        QVERIFY(ms >= 0);
        without = qMax(without, ms);
        QTest::qWait(300);
        QCOMPARE(ServiceEntries(*MainControls(fixture.Form()).cbVoicesRu), 0);
        QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
        QVERIFY(
            !MainControls(fixture.Form()).MLog->toPlainText().contains(QStringLiteral("speech-dispatcher")));
    }
    QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start");
    FormMainFixture fixture;
    const qint64 with = MsToShow(fixture);
    qInfo("start to window shown: %lld ms without speech-dispatcher, %lld ms with it", without, with);
    QVERIFY2(with >= 0 && with <= without + 200,
             qPrintable(QStringLiteral("%1 ms, %2 ms").arg(with).arg(without)));
    TFormMain& form = fixture.Form();
    const MainControls ui(form);
    QTRY_VERIFY_WITH_TIMEOUT(ServiceEntries(*ui.cbVoicesRu) > 100, 60000);
    QCOMPARE(ServiceEntries(*ui.cbVoicesEng), ServiceEntries(*ui.cbVoicesRu));
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

// "ops.txt" names two of the daemon's voices: they are chosen when the daemon has listed
// them, read a bilingual text with its words highlighted in order, refuse the file runs in
// Russian (a window's language), and are written back at the end.
void TestDispatcherWindow::readsWithServiceVoicesOfTheSettings()
{
    if (!m_daemon.Running())
        QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start");
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("ops.txt"),
                      QStringLiteral("cbVoicesRu.ItemIndex=0\r\ncbVoicesEng.ItemIndex=0\r\n"
                                     "cbVoicesRu.VoiceId=%1\r\ncbVoicesEng.VoiceId=%2\r\n")
                          .arg(RuVoice, EnVoice)
                          .toUtf8());
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const MainControls ui(form);
    QTRY_COMPARE_WITH_TIMEOUT(ui.SpVoiceRu->Voice().id, RuVoice, 60000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.SpVoiceEng->Voice().id, EnVoice, 10000);
    QCOMPARE(ui.cbVoicesRu->currentText(), ui.SpVoiceRu->Voice().description);
    QVERIFY(!ui.MLog->toPlainText().contains(QStringLiteral("больше не установлен")));

    const QString text = QStringLiteral("Привет, world. Как дела? Good day.");
    ui.MText->setPlainText(text);
    QStringList selected;
    QStringList bold;
    RecordReading(form, selected, bold);
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), 60000);
    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QCOMPARE(selected, QStringList({"R:Привет", "E:world", "R:Как", "R:дела?", "E:Good", "E:day"}));
    // The sentence in bold is the fragment's, as with every voice: a sentence that changes
    // language is read, and set in bold, a fragment at a time.
    QCOMPARE(bold, QStringList({"Привет,", "world.", "Как дела?", "Как дела?", "Good day.", "Good day."}));
    QVERIFY(BoldRanges(form).isEmpty());

    try {
        RequireFileVoices(*ui.SpVoiceRu, *ui.SpVoiceEng);
        QFAIL("a voice that reads aloud only was taken for a file");
    } catch (const VemoError& e) {
        QVERIFY2(e.Message().contains(
                     QStringLiteral("голос «%1» читает только вслух").arg(ui.SpVoiceRu->Voice().description)),
                 qPrintable(e.Message()));
    }
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    fixture.Close();
    QVERIFY(fixture.ReadFile(QStringLiteral("ops.txt")).contains(QStringLiteral("VoiceId=") + RuVoice));
}

// A window opened before the daemon ran gains its voices once it runs, and the voice kept in
// "ops.txt" is chosen then.
void TestDispatcherWindow::findsADaemonStartedLater()
{
    m_daemon.Stop();
    qputenv("SPEECHD_ADDRESS", m_daemon.Address());
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("ops.txt"),
                      QStringLiteral("cbVoicesRu.VoiceId=%1\r\n").arg(RuVoice).toUtf8());
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const MainControls ui(form);
    QTest::qWait(500);
    QCOMPARE(ServiceEntries(*ui.cbVoicesRu), 0);
    QVERIFY(ui.MLog->toPlainText().contains(QStringLiteral("ждёт speech-dispatcher")));
    QVERIFY(!ui.MLog->toPlainText().contains(QStringLiteral("больше не установлен")));
    QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start");
    QTRY_VERIFY_WITH_TIMEOUT(ServiceEntries(*ui.cbVoicesRu) > 0, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.SpVoiceRu->Voice().id, RuVoice, 5000);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

// A window closed while its daemon is not running keeps the daemon's voice in "ops.txt".
void TestDispatcherWindow::keepsTheServiceVoiceWhileNoDaemonRuns()
{
    m_daemon.Stop();
    qputenv("SPEECHD_ADDRESS", m_daemon.AbsentAddress());
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("ops.txt"),
                      QStringLiteral("cbVoicesRu.VoiceId=%1\r\n").arg(RuVoice).toUtf8());
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    QVERIFY(!MainControls(form).SpVoiceRu->Voice().id.startsWith(QStringLiteral("speech-dispatcher/")));
    fixture.Close();
    QVERIFY(fixture.ReadFile(QStringLiteral("ops.txt"))
                .contains(QStringLiteral("cbVoicesRu.VoiceId=") + RuVoice));
}

QTEST_MAIN(TestDispatcherWindow)
#include "tst_dispatcherwindow.moc"

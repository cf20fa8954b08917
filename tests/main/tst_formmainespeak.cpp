#include "FormMainFixture.h"
#include "main/RichTextBox.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

// The main window reading aloud with espeak-ng through the sound server.
class TestFormMainEspeak : public QObject
{
    Q_OBJECT

private slots:
    void readsBilingualTextToTheEnd();
    void readsToTheEndRunAfterRun();
};

void TestFormMainEspeak::readsBilingualTextToTheEnd()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const MainControls ui(form);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    const QString text = QStringLiteral("Привет, world. Как дела?\nGood day.");
    ui.MText->setPlainText(text);
    QStringList selected;
    QStringList voices;
    for (SpeechVoice* voice : {ui.SpVoiceRu, ui.SpVoiceEng}) {
        connect(voice, &SpeechVoice::Word, &form, [&, voice](int, qint64, int, int) {
            if (!form.Reading().IsSpeaking())
                return;
            selected << ui.MText->textCursor().selectedText();
            voices << (voice == ui.SpVoiceEng ? QStringLiteral("E") : QStringLiteral("R"));
        });
    }
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), 30000);
    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QVERIFY2(voices.contains(QStringLiteral("R")) && voices.contains(QStringLiteral("E")),
             qPrintable(voices.join(u',')));
    // Each selected word stands in the text after the one before it.
    qsizetype from = 0;
    for (const QString& word : selected) {
        QVERIFY2(!word.trimmed().isEmpty(), qPrintable(selected.join(u'|')));
        const qsizetype at = text.indexOf(word, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("%1 not in order: %2").arg(word, selected.join(u'|'))));
        from = at + word.size();
    }
    QVERIFY(selected.contains(QStringLiteral("world")));
    QVERIFY(selected.contains(QStringLiteral("Good")));
    QVERIFY(fixture.Errors.isEmpty());
}

// Read from the start again and again, as a user does with Ctrl+Home and F5: every run
// reaches "End!" in a bounded time and leaves the text box editable. VEMO_WINDOW_RUNS sets
// how many runs (5 by default).
void TestFormMainEspeak::readsToTheEndRunAfterRun()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    const MainControls ui(form);
    ui.TBRateRu->setValue(5);
    ui.TBRateEng->setValue(5);
    ui.MText->setPlainText(
        QStringLiteral("Привет, world! Как дела? This is a test. Это второе предложение, with English words. "
                       "Ещё one more sentence."));
    const int runs =
        qEnvironmentVariableIsSet("VEMO_WINDOW_RUNS") ? qEnvironmentVariableIntValue("VEMO_WINDOW_RUNS") : 5;
    int loudest = 0;
    for (QProgressBar* meter : {ui.PBVolumeRu, ui.PBVolumeEng})
        connect(meter, &QProgressBar::valueChanged, &form,
                [&](int level) { loudest = qMax(loudest, level); });
    for (int run = 0; run < runs; ++run) {
        QTest::keyClick(ui.MText, Qt::Key_Home, Qt::ControlModifier);
        ui.ButtonStart->click();
        QTRY_VERIFY2_WITH_TIMEOUT(
            ui.MLog->toPlainText().endsWith(QStringLiteral("End!")),
            qPrintable(
                QStringLiteral("run %1 stopped after: %2").arg(run).arg(ui.MLog->toPlainText().right(60))),
            20000);
        QTRY_VERIFY(!ui.MText->isReadOnly());
        // The meters showed the voices while they spoke and rest once all is said (the
        // Russian voice ends on a word without a pause after it).
        QVERIFY(loudest > 0);
        QCOMPARE(ui.PBVolumeRu->value(), 0);
        QCOMPARE(ui.PBVolumeEng->value(), 0);
    }
    qInfo("%d runs in a row reached End!", runs);
    QVERIFY(fixture.Errors.isEmpty());
}

QTEST_MAIN(TestFormMainEspeak)
#include "tst_formmainespeak.moc"

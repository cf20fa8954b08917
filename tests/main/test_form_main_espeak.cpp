#include "FormMainFixture.h"
#include "main/RichTextBox.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The main window reading aloud with espeak-ng through the sound server.
class TestFormMainEspeak : public QObject
{
    Q_OBJECT

private slots:
    void readsBilingualTextToTheEnd();
};

void TestFormMainEspeak::readsBilingualTextToTheEnd()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    const QString text = QStringLiteral("Привет, world. Как дела?\nGood day.");
    form.MText->setPlainText(text);
    QStringList selected;
    QStringList voices;
    for (SpeechVoice* voice : {form.SpVoiceRu.get(), form.SpVoiceEng.get()}) {
        connect(voice, &SpeechVoice::Word, &form, [&, voice](int, qint64, int, int) {
            if (!form.Reading().Speaking)
                return;
            selected << form.MText->textCursor().selectedText();
            voices << (voice == form.SpVoiceEng.get() ? QStringLiteral("E") : QStringLiteral("R"));
        });
    }
    form.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().Speaking, 30000);
    QVERIFY(form.MLog->toPlainText().endsWith(QStringLiteral("End!")));
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

QTEST_MAIN(TestFormMainEspeak)
#include "test_form_main_espeak.moc"

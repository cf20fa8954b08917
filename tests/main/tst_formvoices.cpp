#include "FormMainFixture.h"
#include "main/RichTextBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

qsizetype IndexOfId(const QList<VoiceToken>& tokens, const QString& id)
{
    return tokens.indexOf(VoiceToken{id, {}, {}});
}

} // namespace

// The voice lists of the main window over the real engines: espeak-ng's variants behind
// their check box.
class TestFormVoices : public QObject
{
    Q_OBJECT

private slots:
    void variantsBehindCheckBox();
    void opsVoiceIds_data();
    void opsVoiceIds();
    void readsWithTwoEngines_data();
    void readsWithTwoEngines();
};

// Ticking the box adds the variants and keeps both voices; clearing it while a variant
// speaks gives the voice the variant was made from.
void TestFormVoices::variantsBehindCheckBox()
{
    FormMainFixture fixture;
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    const qsizetype bases = form.VoiceTokensRu.size();
    for (const VoiceToken& token : form.VoiceTokensRu)
        QVERIFY2(!token.variant, qPrintable(token.id));
    const VoiceToken english = form.SpVoiceEng->Voice();

    form.CheckBoxVariants->setChecked(true);
    QVERIFY(form.VoiceTokensRu.size() > bases + 100);
    QCOMPARE(form.cbVoicesRu->count(), form.VoiceTokensRu.size());
    QCOMPARE(form.VoiceTokensEng.size(), form.VoiceTokensRu.size());
    QCOMPARE(form.SpVoiceEng->Voice(), english);
    QCOMPARE(form.VoiceTokensEng.at(form.cbVoicesEng->currentIndex()), english);

    const qsizetype female = IndexOfId(form.VoiceTokensRu, QStringLiteral("zle/ru+f2"));
    QVERIFY(female >= 0);
    form.cbVoicesRu->setCurrentIndex(int(female));
    QCOMPARE(form.SpVoiceRu->Voice().id, QStringLiteral("zle/ru+f2"));

    form.CheckBoxVariants->setChecked(false);
    QCOMPARE(form.VoiceTokensRu.size(), bases);
    QCOMPARE(form.SpVoiceRu->Voice().id, QStringLiteral("zle/ru"));
    QCOMPARE(form.VoiceTokensRu.at(form.cbVoicesRu->currentIndex()).id, QStringLiteral("zle/ru"));
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

void TestFormVoices::opsVoiceIds_data()
{
    QTest::addColumn<QByteArray>("ops");
    QTest::addColumn<QString>("ruId");
    QTest::addColumn<QString>("engId");
    QTest::addColumn<bool>("variants");
    QTest::addColumn<bool>("goneLogged");
    const QByteArray four("cbVoicesRu.ItemIndex=0\r\ncbVoicesEng.ItemIndex=1\r\n"
                          "GroupBoxLog.Visible=1\r\nGroupBoxControl.Visible=1\r\n");
    QTest::newRow("older file: the indexes") << four << ""
                                             << "" << false << false;
    QTest::newRow("ids win over indexes")
        << four + "cbVoicesRu.VoiceId=zle/ru\r\ncbVoicesEng.VoiceId=gmw/en-US\r\n"
        << "zle/ru"
        << "gmw/en-US" << false << false;
    QTest::newRow("a variant's id ticks the box")
        << four + "cbVoicesRu.VoiceId=zle/ru+f2\r\ncbVoicesEng.VoiceId=gmw/en\r\n"
        << "zle/ru+f2"
        << "gmw/en" << true << false;
    QTest::newRow("a voice gone: its index, said in the log")
        << four + "cbVoicesRu.VoiceId=zz/gone\r\ncbVoicesEng.VoiceId=gmw/en\r\n"
        << ""
        << "gmw/en" << false << true;
}

// An id still installed chooses the voice whatever the index says, so voices added or
// removed never change the user's choice; without a usable id the index applies as before.
void TestFormVoices::opsVoiceIds()
{
    QFETCH(QByteArray, ops);
    QFETCH(QString, ruId);
    QFETCH(QString, engId);
    QFETCH(bool, variants);
    QFETCH(bool, goneLogged);
    FormMainFixture fixture;
    fixture.WriteFile(QStringLiteral("ops.txt"), ops);
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    QCOMPARE(form.CheckBoxVariants->isChecked(), variants);
    const VoiceToken ru = form.VoiceTokensRu.at(form.cbVoicesRu->currentIndex());
    const VoiceToken eng = form.VoiceTokensEng.at(form.cbVoicesEng->currentIndex());
    QCOMPARE(ru.id, ruId.isEmpty() ? form.VoiceTokensRu.at(0).id : ruId);
    QCOMPARE(eng.id, engId.isEmpty() ? form.VoiceTokensEng.at(1).id : engId);
    QCOMPARE(form.SpVoiceRu->Voice(), ru);
    QCOMPARE(form.SpVoiceEng->Voice(), eng);
    QCOMPARE(form.MLog->toPlainText().contains(QStringLiteral("«zz/gone» больше не установлен")), goneLogged);

    fixture.Close();
    const QString written = fixture.ReadFile(QStringLiteral("ops.txt"));
    QVERIFY2(written.endsWith(
                 QStringLiteral("cbVoicesRu.VoiceId=%1\r\ncbVoicesEng.VoiceId=%2\r\n").arg(ru.id, eng.id)),
             qPrintable(written));
}

void TestFormVoices::readsWithTwoEngines_data()
{
    QTest::addColumn<QString>("ruId");
    QTest::addColumn<QString>("engId");
    QTest::newRow("espeak-ng and Flite") << "zle/ru"
                                         << "flite/slt";
    QTest::newRow("Festival and Flite") << "festival/msu_ru_nsh_clunits"
                                        << "flite/slt";
    QTest::newRow("espeak-ng and Festival") << "zle/ru"
                                            << "festival/cmu_us_slt_arctic_hts";
}

// A bilingual text read with a voice of one engine for Russian and of another for English:
// every word is selected in order, by the voice of its language, to "End!".
void TestFormVoices::readsWithTwoEngines()
{
    QFETCH(QString, ruId);
    QFETCH(QString, engId);
    FormMainFixture fixture;
    fixture.WriteFile(
        QStringLiteral("ops.txt"),
        QStringLiteral("cbVoicesRu.VoiceId=%1\r\ncbVoicesEng.VoiceId=%2\r\n").arg(ruId, engId).toUtf8());
    TFormMain& form = fixture.Open(SpeechEngineKind::Espeak);
    if (form.SpVoiceRu->Voice().id != ruId || form.SpVoiceEng->Voice().id != engId)
        QSKIP("a voice of the row is not installed");
    const QString text = QStringLiteral("Привет, world. Как дела?\nGood day to you. Всё хорошо.");
    form.MText->setPlainText(text);
    QStringList selected;
    for (SpeechVoice* voice : {form.SpVoiceRu.get(), form.SpVoiceEng.get()}) {
        connect(voice, &SpeechVoice::Word, &form, [&, voice](int, qint64, int, int) {
            if (form.Reading().IsSpeaking())
                selected << (voice == form.SpVoiceEng.get() ? QStringLiteral("E:") : QStringLiteral("R:")) +
                                form.MText->textCursor().selectedText();
        });
    }
    form.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), 30000);
    QVERIFY(form.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QCOMPARE(selected, QStringList({"R:Привет", "E:world", "R:Как", "R:дела?", "E:Good", "E:day", "E:to",
                                    "E:you", "R:Всё", "R:хорошо"}));
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

QTEST_MAIN(TestFormVoices)
#include "tst_formvoices.moc"

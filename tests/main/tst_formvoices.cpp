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
    const MainControls ui(form);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    const qsizetype bases = form.ListedVoices("R").size();
    for (const VoiceToken& token : form.ListedVoices("R"))
        QVERIFY2(!token.variant, qPrintable(token.id));
    const VoiceToken english = form.Voice("E").Voice();

    ui.CheckBoxVariants->setChecked(true);
    QVERIFY(form.ListedVoices("R").size() > bases + 100);
    QCOMPARE(ui.cbVoicesRu->count(), form.ListedVoices("R").size());
    QCOMPARE(form.ListedVoices("E").size(), form.ListedVoices("R").size());
    QCOMPARE(form.Voice("E").Voice(), english);
    QCOMPARE(form.ListedVoices("E").at(ui.cbVoicesEng->currentIndex()), english);

    const qsizetype female = IndexOfId(form.ListedVoices("R"), QStringLiteral("zle/ru+f2"));
    QVERIFY(female >= 0);
    ui.cbVoicesRu->setCurrentIndex(int(female));
    QCOMPARE(form.Voice("R").Voice().id, QStringLiteral("zle/ru+f2"));

    ui.CheckBoxVariants->setChecked(false);
    QCOMPARE(form.ListedVoices("R").size(), bases);
    QCOMPARE(form.Voice("R").Voice().id, QStringLiteral("zle/ru"));
    QCOMPARE(form.ListedVoices("R").at(ui.cbVoicesRu->currentIndex()).id, QStringLiteral("zle/ru"));
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
    const MainControls ui(form);
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
    QCOMPARE(ui.CheckBoxVariants->isChecked(), variants);
    const VoiceToken ru = form.ListedVoices("R").at(ui.cbVoicesRu->currentIndex());
    const VoiceToken eng = form.ListedVoices("E").at(ui.cbVoicesEng->currentIndex());
    QCOMPARE(ru.id, ruId.isEmpty() ? form.ListedVoices("R").at(0).id : ruId);
    QCOMPARE(eng.id, engId.isEmpty() ? form.ListedVoices("E").at(1).id : engId);
    QCOMPARE(form.Voice("R").Voice(), ru);
    QCOMPARE(form.Voice("E").Voice(), eng);
    QCOMPARE(ui.MLog->toPlainText().contains(QStringLiteral("«zz/gone» больше не установлен")), goneLogged);

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
    const MainControls ui(form);
    if (form.Voice("R").Voice().id != ruId || form.Voice("E").Voice().id != engId)
        QSKIP("a voice of the row is not installed");
    const QString text = QStringLiteral("Привет, world. Как дела?\nGood day to you. Всё хорошо.");
    ui.MText->setPlainText(text);
    QStringList selected;
    for (SpeechVoice* voice : {&form.Voice("R"), &form.Voice("E")}) {
        connect(voice, &SpeechVoice::Word, &form, [&, voice](int, qint64, int, int) {
            if (form.Reading().IsSpeaking())
                selected << (voice == &form.Voice("E") ? QStringLiteral("E:") : QStringLiteral("R:")) +
                                ui.MText->textCursor().selectedText();
        });
    }
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), 30000);
    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QCOMPARE(selected, QStringList({"R:Привет", "E:world", "R:Как", "R:дела?", "E:Good", "E:day", "E:to",
                                    "E:you", "R:Всё", "R:хорошо"}));
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

QTEST_MAIN(TestFormVoices)
#include "tst_formvoices.moc"

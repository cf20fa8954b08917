#include "FormMainFixture.h"
#include "main/RichTextBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace {

qsizetype IndexOfId(const QList<VoiceToken>& tokens, const QString& id)
{
    return tokens.indexOf(VoiceToken{id, {}, {}});
}

// The voices the list of lang ("R" or "E") offers, entry for entry: the engine's voice that
// each entry's text describes.
QList<VoiceToken> ListedVoices(const MainControls& ui, const QString& lang)
{
    const QComboBox* list = lang == u"E" ? ui.cbVoicesEng : ui.cbVoicesRu;
    const QList<VoiceToken> installed = (lang == u"E" ? ui.SpVoiceEng : ui.SpVoiceRu)->GetVoices();
    QList<VoiceToken> listed;
    for (int i = 0; i < list->count(); ++i) {
        const auto described =
            std::find_if(installed.cbegin(), installed.cend(),
                         [&](const VoiceToken& voice) { return voice.description == list->itemText(i); });
        listed.append(described == installed.cend() ? VoiceToken() : *described);
    }
    return listed;
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
    const qsizetype bases = ListedVoices(ui, "R").size();
    for (const VoiceToken& token : ListedVoices(ui, "R"))
        QVERIFY2(!token.variant, qPrintable(token.id));
    const VoiceToken english = ui.SpVoiceEng->Voice();

    ui.CheckBoxVariants->setChecked(true);
    QVERIFY(ListedVoices(ui, "R").size() > bases + 100);
    QCOMPARE(ui.cbVoicesRu->count(), ListedVoices(ui, "R").size());
    QCOMPARE(ListedVoices(ui, "E").size(), ListedVoices(ui, "R").size());
    QCOMPARE(ui.SpVoiceEng->Voice(), english);
    QCOMPARE(ListedVoices(ui, "E").at(ui.cbVoicesEng->currentIndex()), english);

    const qsizetype female = IndexOfId(ListedVoices(ui, "R"), QStringLiteral("zle/ru+f2"));
    QVERIFY(female >= 0);
    ui.cbVoicesRu->setCurrentIndex(int(female));
    QCOMPARE(ui.SpVoiceRu->Voice().id, QStringLiteral("zle/ru+f2"));

    ui.CheckBoxVariants->setChecked(false);
    QCOMPARE(ListedVoices(ui, "R").size(), bases);
    QCOMPARE(ui.SpVoiceRu->Voice().id, QStringLiteral("zle/ru"));
    QCOMPARE(ListedVoices(ui, "R").at(ui.cbVoicesRu->currentIndex()).id, QStringLiteral("zle/ru"));
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
    const VoiceToken ru = ListedVoices(ui, "R").at(ui.cbVoicesRu->currentIndex());
    const VoiceToken eng = ListedVoices(ui, "E").at(ui.cbVoicesEng->currentIndex());
    QCOMPARE(ru.id, ruId.isEmpty() ? ListedVoices(ui, "R").at(0).id : ruId);
    QCOMPARE(eng.id, engId.isEmpty() ? ListedVoices(ui, "E").at(1).id : engId);
    QCOMPARE(ui.SpVoiceRu->Voice(), ru);
    QCOMPARE(ui.SpVoiceEng->Voice(), eng);
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
    if (ui.SpVoiceRu->Voice().id != ruId || ui.SpVoiceEng->Voice().id != engId)
        QSKIP("a voice of the row is not installed");
    const QString text = QStringLiteral("Привет, world. Как дела?\nGood day to you. Всё хорошо.");
    ui.MText->setPlainText(text);
    QStringList selected;
    QStringList bold;
    RecordReading(form, selected, bold);
    ui.ButtonStart->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.Reading().IsSpeaking(), 30000);
    QVERIFY(ui.MLog->toPlainText().endsWith(QStringLiteral("End!")));
    QCOMPARE(selected, QStringList({"R:Привет", "E:world", "R:Как", "R:дела?", "E:Good", "E:day", "E:to",
                                    "E:you", "R:Всё", "R:хорошо"}));
    QCOMPARE(bold, QStringList({"Привет,", "world.", "Как дела?", "Как дела?", "Good day to you.",
                                "Good day to you.", "Good day to you.", "Good day to you.", "Всё хорошо.",
                                "Всё хорошо."}));
    QVERIFY(BoldRanges(form).isEmpty());
    QVERIFY2(fixture.Errors.isEmpty(), qPrintable(fixture.Errors.join(u'\n')));
}

QTEST_MAIN(TestFormVoices)
#include "tst_formvoices.moc"

#include "FormMainFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
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

QTEST_MAIN(TestFormVoices)
#include "tst_formvoices.moc"

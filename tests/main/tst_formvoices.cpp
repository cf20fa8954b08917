#include "FormMainFixture.h"

#include <QCheckBox>
#include <QComboBox>
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

QTEST_MAIN(TestFormVoices)
#include "tst_formvoices.moc"

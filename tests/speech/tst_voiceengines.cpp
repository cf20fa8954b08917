#include "SpeechTestSupport.h"
#include "files/VemoError.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

std::optional<VoiceToken> Listed(const SpeechVoice& voice, const QString& id)
{
    for (const VoiceToken& token : voice.GetVoices()) {
        if (token.id == id)
            return token;
    }
    return std::nullopt;
}

} // namespace

// The voices of every engine in the program, through the one voice interface: what the lists
// show of them and what they speak.
class TestVoiceEngines : public QObject
{
    Q_OBJECT

private:
    WavFile speak(SpeechVoice& voice, const QString& text, int format = SAFT22kHz16BitMono)
    {
        SpFileStream stream;
        stream.setFormatType(format);
        const QString path = m_dir.filePath(QStringLiteral("voice%1.wav").arg(++m_files));
        stream.Open(path);
        voice.setAudioOutputStream(&stream);
        voice.Speak(text, SpeakAsyncPlain);
        const bool done = voice.WaitUntilDone(60000);
        voice.setAudioOutputStream(nullptr);
        stream.Close();
        return done ? WavFile::read(path) : WavFile();
    }

    QTemporaryDir m_dir;
    int m_files = 0;

private slots:
    void espeakVariants_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("description");
        QTest::newRow("russian female") << "zle/ru+f2"
                                        << "Russian (ru) + female 2";
        QTest::newRow("british male") << "gmw/en+m3"
                                      << "English (Great Britain) (en-gb) + male 3";
        QTest::newRow("american named") << "gmw/en-US+Alicia"
                                        << "English (America) (en-us) + Alicia";
    }

    // A variant is a voice of its own: listed after every base voice, described by both
    // names, and speaking differently from the voice it varies.
    void espeakVariants()
    {
        QFETCH(QString, id);
        QFETCH(QString, description);
        auto voice = CreateVoice(SpeechEngineKind::Espeak);
        const std::optional<VoiceToken> variant = Listed(*voice, id);
        QVERIFY2(variant, qPrintable(id));
        QVERIFY(variant->variant);
        QVERIFY2(variant->description.startsWith(description), qPrintable(variant->description));
        const QList<VoiceToken> voices = voice->GetVoices();
        QVERIFY(voices.indexOf(*variant) > voices.lastIndexOf(*Listed(*voice, id.section(u'+', 0, 0))));

        const QString text = variant->language == u"ru" ? QStringLiteral("Сегодня хорошая погода.")
                                                        : QStringLiteral("The weather is fine today.");
        voice->setVoice(*Listed(*voice, id.section(u'+', 0, 0)));
        const WavFile base = speak(*voice, text);
        voice->setVoice(*variant);
        const WavFile varied = speak(*voice, text);
        QVERIFY(base.seconds() > 0.5 && varied.seconds() > 0.5);
        QVERIFY(varied.data != base.data);
    }

    void unknownVariantIsRefused()
    {
        auto voice = CreateVoice(SpeechEngineKind::Espeak);
        const VoiceToken before = voice->Voice();
        QVERIFY_THROWS_EXCEPTION(
            VemoError, voice->setVoice({QStringLiteral("zle/ru+nosuch"), QString(), QStringLiteral("ru")}));
        QCOMPARE(voice->Voice(), before);
    }
};

QTEST_GUILESS_MAIN(TestVoiceEngines)
#include "tst_voiceengines.moc"

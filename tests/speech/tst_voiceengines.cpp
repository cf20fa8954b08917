#include "SpeechTestSupport.h"
#include "files/VemoError.h"
#include "speech/SpeechVoice.h"
#include "speech/TimeStretch.h"
#include "speech/TokenAlignment.h"
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

std::unique_ptr<SpeechVoice> VoiceOf(const QString& id)
{
    auto voice = CreateVoice(SpeechEngineKind::Espeak);
    if (const std::optional<VoiceToken> token = Listed(*voice, id))
        voice->SetVoice(*token);
    else
        voice.reset();
    return voice;
}

QStringList Words(const QString& text)
{
    QStringList words;
    for (const QString& w : text.split(u' ', Qt::SkipEmptyParts))
        words << w;
    return words;
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
        stream.SetFormatType(format);
        const QString path = m_dir.filePath(QStringLiteral("voice%1.wav").arg(++m_files));
        stream.Open(path);
        voice.SetAudioOutputStream(&stream);
        voice.Speak(text, SpeakAsyncPlain);
        const bool done = voice.WaitUntilDone(60000);
        voice.SetAudioOutputStream(nullptr);
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
        voice->SetVoice(*Listed(*voice, id.section(u'+', 0, 0)));
        const WavFile base = speak(*voice, text);
        voice->SetVoice(*variant);
        const WavFile varied = speak(*voice, text);
        QVERIFY(base.seconds() > 0.5 && varied.seconds() > 0.5);
        QVERIFY(varied.data != base.data);
    }

    void alignTokens_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("punctuation stripped")
            << "Hello, world! (Yes)" << QStringList{"Hello", "world", "Yes"} << QList<int>{0, 7, 15};
        QTest::newRow("case and blanks") << "  one\n\tTWO" << QStringList{"ONE", "two"} << QList<int>{2, 7};
        QTest::newRow("empty name keeps the place")
            << "a -- b" << QStringList{"a", "", "b"} << QList<int>{0, -1, 5};
        QTest::newRow("rewritten token skipped, the rest still found")
            << "go 1st now" << QStringList{"go", "first", "now"} << QList<int>{0, -1, 7};
        QTest::newRow("never far ahead") << "x a b c d x" << QStringList{"a", "x"} << QList<int>{2, -1};
        QTest::newRow("repeated word found twice in order")
            << "the cat the dog" << QStringList{"the", "cat", "the", "dog"} << QList<int>{0, 4, 8, 12};
        QTest::newRow("cyrillic") << "Привет, мир." << QStringList{"привет", "мир"} << QList<int>{0, 8};
    }

    void alignTokens()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, positions);
        QCOMPARE(AlignTokens(text, names), positions);
    }

    void speaksIntoFile_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("text");
        const QString english =
            QStringLiteral("The quick brown fox jumps over the lazy dog. It runs away, fast.");
        const QString russian = QStringLiteral("Съешь ещё этих мягких французских булок. Да выпей же чаю.");
        QTest::newRow("festival ru") << "festival/msu_ru_nsh_clunits" << russian;
        QTest::newRow("festival kal") << "festival/kal_diphone" << english;
        QTest::newRow("festival slt hts") << "festival/cmu_us_slt_arctic_hts" << english;
        QTest::newRow("espeak-ng ru") << "zle/ru" << russian;
        for (const char* flite : {"slt", "rms", "awb", "kal16", "kal"})
            QTest::newRow(qPrintable(QStringLiteral("flite %1").arg(QLatin1String(flite))))
                << QStringLiteral("flite/%1").arg(QLatin1String(flite)) << english;
    }

    // Every voice speaks into a file at the file's rate, for about as long as a person reads
    // the text, with one Word event per word in order and the sentences whole.
    void speaksIntoFile()
    {
        QFETCH(QString, id);
        QFETCH(QString, text);
        auto voice = VoiceOf(id);
        if (!voice)
            QSKIP(qPrintable(id + QStringLiteral(" is not installed")));
        EventLog log(*voice);
        const WavFile wav = speak(*voice, text, SAFT44kHz16BitStereo);
        QCOMPARE(wav.sampleRate, 44100);
        QCOMPARE(wav.channels, 2);
        const double perWord = wav.seconds() / Words(text).size();
        QVERIFY2(perWord > 0.15 && perWord < 0.8, qPrintable(QString::number(wav.seconds())));
        QVERIFY(wav.rms() > 300);
        QStringList expected;
        for (const QString& word : Words(text))
            expected << word.chopped(word.back().isLetter() ? 0 : 1);
        QCOMPARE(log.spans(u'W', text), expected);
        QCOMPARE(log.spans(u'S', text).size(), 2);
        QCOMPARE(log.lines.last(), QStringLiteral("E"));
    }

    // The word after a sentence's pause is told where its sound begins: quiet before, voiced
    // after. Word times that were off (a wrong rate, seconds taken for samples) miss the pause.
    void wordEventAtItsSound_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("festival ru") << "festival/msu_ru_nsh_clunits";
        QTest::newRow("festival slt hts") << "festival/cmu_us_slt_arctic_hts";
        QTest::newRow("flite slt") << "flite/slt";
        QTest::newRow("flite kal, 8 kHz") << "flite/kal";
    }

    void wordEventAtItsSound()
    {
        QFETCH(QString, id);
        auto voice = VoiceOf(id);
        QVERIFY(voice);
        const QString text = QStringLiteral("We stopped here. Afterwards nothing moved at all.");
        qint64 at = -1;
        connect(voice.get(), &SpeechVoice::Word, this, [&](int, qint64 streamPosition, int position, int) {
            if (position == text.indexOf(u"Afterwards"))
                at = streamPosition / 2;
        });
        const WavFile wav = speak(*voice, text);
        QVERIFY(at > 0);
        const auto* s = reinterpret_cast<const qint16*>(wav.data.constData());
        const auto rms = [&](qint64 from, qint64 count) {
            double sum = 0;
            for (qint64 i = qMax<qint64>(0, from); i < from + count && i < wav.data.size() / 2; ++i)
                sum += double(s[i]) * s[i];
            return std::sqrt(sum / double(count));
        };
        const qint64 ms = 22050 / 1000;
        const double before = rms(at - 70 * ms, 60 * ms);
        const double after = rms(at, 100 * ms);
        QVERIFY2(before < 300 && after > 3 * before && after > 500,
                 qPrintable(QStringLiteral("before %1, after %2").arg(before).arg(after)));
    }

    void rateAndVolume_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("text");
        const QString english = QStringLiteral("Rate and volume change the way this sentence sounds.");
        QTest::newRow("festival ru, stretched after")
            << "festival/msu_ru_nsh_clunits"
            << QStringLiteral("Скорость и громкость меняют звучание этой фразы.");
        QTest::newRow("festival slt hts") << "festival/cmu_us_slt_arctic_hts" << english;
        QTest::newRow("festival kal") << "festival/kal_diphone" << english;
        QTest::newRow("flite slt") << "flite/slt" << english;
    }

    // Rate +5 is about 3^0.5 = 1.73 times as fast, volume 40 about 0.4 times as loud.
    void rateAndVolume()
    {
        QFETCH(QString, id);
        QFETCH(QString, text);
        auto voice = VoiceOf(id);
        QVERIFY(voice);
        const WavFile normal = speak(*voice, text);
        voice->SetRate(5);
        voice->SetVolume(40);
        const WavFile fast = speak(*voice, text);
        const double ratio = normal.seconds() / fast.seconds();
        QVERIFY2(ratio > 1.4 && ratio < 2.1, qPrintable(QString::number(ratio)));
        const double loudness = fast.rms() / normal.rms();
        QVERIFY2(loudness > 0.3 && loudness < 0.5, qPrintable(QString::number(loudness)));
    }

    void timeStretch_data()
    {
        QTest::addColumn<double>("speed");
        QTest::newRow("twice as fast") << 2.0;
        QTest::newRow("a third") << 1.0 / 3;
        QTest::newRow("unchanged") << 1.0;
    }

    // The length follows the speed while a tone keeps its pitch (its zero crossings per second).
    void timeStretch()
    {
        QFETCH(double, speed);
        const int rate = 16000;
        std::vector<qint16> tone(static_cast<std::size_t>(rate));
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = qint16(8000 * std::sin(2 * M_PI * 220 * double(i) / rate));
        const std::vector<qint16> out = TimeStretch(tone, rate, speed);
        QVERIFY(std::abs(double(out.size()) - rate / speed) <= 1);
        int crossings = 0;
        for (std::size_t i = 1; i < out.size(); ++i)
            crossings += (out[i - 1] < 0) != (out[i] < 0) ? 1 : 0;
        const double hz = crossings / 2.0 / (double(out.size()) / rate);
        QVERIFY2(std::abs(hz - 220) < 15, qPrintable(QString::number(hz)));
    }

    void unknownVariantIsRefused()
    {
        auto voice = CreateVoice(SpeechEngineKind::Espeak);
        const VoiceToken before = voice->Voice();
        QVERIFY_THROWS_EXCEPTION(
            VemoError, voice->SetVoice({QStringLiteral("zle/ru+nosuch"), QString(), QStringLiteral("ru")}));
        QCOMPARE(voice->Voice(), before);
    }
};

QTEST_GUILESS_MAIN(TestVoiceEngines)
#include "tst_voiceengines.moc"

#include "SpeechTestSupport.h"
#include "speech/SpeechVoice.h"
#include "speech/TestVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The longest run of near-silence between two sounds of a 22050 Hz mono WAV, in ms.
double LongestGapMs(const WavFile& wav)
{
    const auto* s = reinterpret_cast<const qint16*>(wav.data.constData());
    const qsizetype n = wav.data.size() / 2;
    qsizetype first = 0;
    while (first < n && qAbs(int(s[first])) < 300)
        ++first;
    qsizetype longest = 0;
    qsizetype run = 0;
    for (qsizetype i = first; i < n; ++i) {
        if (qAbs(int(s[i])) < 300) {
            ++run;
        } else {
            longest = qMax(longest, run);
            run = 0;
        }
    }
    return longest * 1000.0 / 22050;
}

} // namespace

// What the voices write into files: real espeak-ng audio whose length and loudness follow
// rate, volume and markup, in every file format; the test engine's exact output.
class TestSpeechAudio : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<SpeechVoice> voiceFor(const QString& language,
                                                 SpeechEngineKind kind = SpeechEngineKind::Espeak)
    {
        auto voice = CreateVoice(kind);
        for (const VoiceToken& token : voice->GetVoices()) {
            if (token.language == language) {
                voice->SetVoice(token);
                break;
            }
        }
        return voice;
    }

    WavFile speak(SpeechVoice& voice, const QString& text, int flags = SpeakAsyncPlain,
                  int format = SAFT22kHz16BitMono)
    {
        SpFileStream stream;
        stream.SetFormatType(format);
        const QString path = m_dir.filePath(QStringLiteral("audio%1.wav").arg(format));
        stream.Open(path);
        voice.SetAudioOutputStream(&stream);
        voice.Speak(text, flags);
        const bool done = voice.WaitUntilDone(30000);
        voice.SetAudioOutputStream(nullptr);
        stream.Close();
        return done ? WavFile::read(path) : WavFile();
    }

    const QString m_text = QStringLiteral("Сегодня хорошая погода, и мы идём гулять в парк.");
    QTemporaryDir m_dir;

private slots:
    void rateChangesDuration_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("speedUp");
        QTest::newRow("-5") << -5 << 101.0 / 175;
        QTest::newRow("+5") << 5 << 303.0 / 175;
        QTest::newRow("+9") << 9 << 2.69;
        QTest::newRow("+10, three times as fast") << 10 << 3.0;
    }

    void rateChangesDuration()
    {
        QFETCH(int, rate);
        QFETCH(double, speedUp);
        auto voice = voiceFor(QStringLiteral("ru"));
        const double normal = speak(*voice, m_text).seconds();
        voice->SetRate(rate);
        const double changed = speak(*voice, m_text).seconds();
        const double ratio = normal / changed;
        QVERIFY2(ratio > speedUp * 0.75 && ratio < speedUp * 1.3,
                 qPrintable(QStringLiteral("%1 s at 0, %2 s at %3").arg(normal).arg(changed).arg(rate)));
    }

    // Each step up is faster than the one below it, also at the top of the scale.
    void fastestRatesDiffer()
    {
        auto voice = voiceFor(QStringLiteral("ru"));
        double previous = 1e9;
        for (int rate : {8, 9, 10}) {
            voice->SetRate(rate);
            const double seconds = speak(*voice, m_text).seconds();
            QVERIFY2(seconds < previous * 0.97,
                     qPrintable(QStringLiteral("rate %1: %2 s").arg(rate).arg(seconds)));
            previous = seconds;
        }
    }

    void joinsPauseLikeTheEngine_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("rate");
        for (const char* mark : {".", "!", "?", "…", ",", ":", ";", " —", ""}) {
            for (int rate : {0, 5})
                QTest::addRow("'%s' rate %d", mark, rate) << QString::fromUtf8(mark) << rate;
        }
    }

    // Where the language changes, the silence between the two voices is the pause the engine
    // makes for the same punctuation inside one text (and none extra after a blank).
    void joinsPauseLikeTheEngine()
    {
        QFETCH(QString, mark);
        QFETCH(int, rate);
        auto ru = voiceFor(QStringLiteral("ru"));
        auto en = voiceFor(QStringLiteral("en-gb"));
        ru->SetRate(rate);
        en->SetRate(rate);
        const QString first = QStringLiteral("Кот Васька") + mark + u' ';
        const double own = LongestGapMs(speak(*ru, first + QStringLiteral("Он жил")));

        SpFileStream stream;
        stream.SetFormatType(SAFT22kHz16BitMono);
        const QString path = m_dir.filePath(QStringLiteral("join.wav"));
        stream.Open(path);
        for (SpeechVoice* voice : {ru.get(), en.get()})
            voice->SetAudioOutputStream(&stream);
        ru->Speak(first, SpeakAsyncPlain);
        QVERIFY(ru->WaitUntilDone(30000));
        en->Speak(QStringLiteral("He lived"), SpeakAsyncPlain);
        QVERIFY(en->WaitUntilDone(30000));
        stream.Close();
        const double joined = LongestGapMs(WavFile::read(path));
        qInfo("join %.0f ms, inside one text %.0f ms", joined, own);
        QVERIFY2(qAbs(joined - own) <= 60,
                 qPrintable(QStringLiteral("join %1 ms, inside one text %2 ms").arg(joined).arg(own)));
    }

    void markupChangesDuration_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<double>("minRatio");
        QTest::addColumn<double>("maxRatio");
        QTest::newRow("absspeed 5") << u"<rate absspeed=\"5\">%1</rate>"_qs << 0.45 << 0.8;
        QTest::newRow("speed -5") << u"<rate speed=\"-5\">%1</rate>"_qs << 1.3 << 2.2;
        QTest::newRow("pitch and emphasis keep the pace")
            << u"<pitch absmiddle=\"8\"><emph>%1</emph></pitch>"_qs << 0.85 << 1.15;
    }

    void markupChangesDuration()
    {
        QFETCH(QString, markup);
        QFETCH(double, minRatio);
        QFETCH(double, maxRatio);
        auto voice = voiceFor(QStringLiteral("ru"));
        const double plain = speak(*voice, m_text).seconds();
        const double ratio = speak(*voice, markup.arg(m_text), SpeakAsyncXml).seconds() / plain;
        QVERIFY2(ratio > minRatio && ratio < maxRatio, qPrintable(QString::number(ratio)));
    }

    void silenceAddsItsLength()
    {
        auto voice = voiceFor(QStringLiteral("ru"));
        const QString markup = QStringLiteral("Раз.<silence msec=\"%1\"/> Два.");
        const double shortPause = speak(*voice, markup.arg(200), SpeakAsyncXml).seconds();
        const double longPause = speak(*voice, markup.arg(1700), SpeakAsyncXml).seconds();
        QVERIFY2(qAbs(longPause - shortPause - 1.5) < 0.05,
                 qPrintable(QStringLiteral("%1 %2").arg(shortPause).arg(longPause)));
    }

    void volumeChangesLoudness()
    {
        auto voice = voiceFor(QStringLiteral("ru"));
        const double full = speak(*voice, m_text).rms();
        voice->SetVolume(50);
        const double half = speak(*voice, m_text).rms();
        voice->SetVolume(0);
        const double none = speak(*voice, m_text).rms();
        QVERIFY(full > 500);
        QVERIFY2(half / full > 0.35 && half / full < 0.65, qPrintable(QString::number(half / full)));
        QVERIFY(none < full * 0.02);
    }

    // Numbers show the language plainly: "1987" in English is not "1987" in Russian.
    void englishInsideRussian()
    {
        const QString number = QStringLiteral("1987");
        auto russian = voiceFor(QStringLiteral("ru"));
        auto english = voiceFor(QStringLiteral("en-us"));
        const double asRussian = speak(*russian, number).seconds();
        const double asEnglish = speak(*english, number).seconds();
        const double switched =
            speak(*russian, u"<voice required=\"Language=409\">%1</voice>"_qs.arg(number), SpeakAsyncXml)
                .seconds();
        QVERIFY2(qAbs(asRussian - asEnglish) > 0.15,
                 qPrintable(QStringLiteral("%1 %2").arg(asRussian).arg(asEnglish)));
        QVERIFY2(qAbs(switched - asEnglish) < 0.05 * asEnglish,
                 qPrintable(QStringLiteral("%1 %2").arg(switched).arg(asEnglish)));
    }

    void everyFormat()
    {
        auto voice = voiceFor(QStringLiteral("ru"));
        const QString text = QStringLiteral("Раз, два, три.");
        const double reference = speak(*voice, text).seconds();
        for (int type = FirstSpeechAudioFormat; type <= LastSpeechAudioFormat; ++type) {
            const SpeechAudioFormat format = *SpeechAudioFormat::FromType(type);
            const WavFile wav = speak(*voice, text, SpeakAsyncPlain, type);
            const QString name = format.Name();
            QVERIFY2(wav.channels == format.channels && wav.sampleRate == format.sampleRate &&
                         wav.bits == format.bitsPerSample,
                     qPrintable(name));
            QCOMPARE(qint64(wav.dataSize), wav.fileSize - 44);
            QCOMPARE(qint64(wav.riffSize), wav.fileSize - 8);
            QVERIFY2(qAbs(wav.seconds() - reference) < 0.06,
                     qPrintable(name + QStringLiteral(": %1 s, not %2 s").arg(wav.seconds()).arg(reference)));
        }
    }

    // The test engine writes the same samples every time: 5 ms of tone per word at rate 0.
    void controlCharactersAreBlanks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        // U+0001 + number + letter is espeak-ng's embedded command: "40S" slows the speech
        // down, "5A" makes it nearly silent.
        const QString commands = QStringLiteral("Hello\u0001B, then \u0001"
                                                "40S the slow part, \u0001"
                                                "5A the quiet part of it.");
        QTest::newRow("plain") << commands << SpeakAsyncPlain;
        QTest::newRow("xml") << QStringLiteral("<volume level=\"80\">") + commands +
                                    QStringLiteral("</volume>")
                             << SpeakAsyncXml;
        QTest::newRow("escape, delete, C1")
            << QStringLiteral("one\u001B[2J two\u007F\u0085three\u000Bfour") << SpeakAsyncPlain;
    }

    // A control character never reaches espeak-ng as one of its commands: the voice speaks
    // what it speaks with blanks in their place, as long and as loud.
    void controlCharactersAreBlanks()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QString blanks = text;
        for (QChar& c : blanks)
            if (c.category() == QChar::Other_Control && c != u'\n' && c != u'\r' && c != u'\t')
                c = u' ';
        auto voice = voiceFor(QStringLiteral("en-gb"));
        const WavFile expected = speak(*voice, blanks, flags);
        const WavFile spoken = speak(*voice, text, flags);
        QVERIFY(expected.seconds() > 1);
        const QString figures = QStringLiteral("%1 s, RMS %2 with blanks; %3 s, RMS %4 as given")
                                    .arg(expected.seconds())
                                    .arg(expected.rms())
                                    .arg(spoken.seconds())
                                    .arg(spoken.rms());
        QVERIFY2(qAbs(spoken.seconds() / expected.seconds() - 1) < 0.03, qPrintable(figures));
        QVERIFY2(qAbs(spoken.rms() / expected.rms() - 1) < 0.05, qPrintable(figures));
    }

    void testEngineIsExact_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("samples");
        QTest::newRow("three words") << u"Раз, два-три."_qs << int(SpeakAsyncPlain) << 0 << 3 * 110;
        QTest::newRow("rate 10: a third") << u"Раз, два-три."_qs << int(SpeakAsyncPlain) << 10 << 3 * 37;
        QTest::newRow("silence") << u"a<silence msec=\"100\"/>b"_qs << int(SpeakAsyncXml) << 0
                                 << 2 * 110 + 2205;
        QTest::newRow("empty") << QString() << int(SpeakAsyncPlain) << 0 << 0;
    }

    void testEngineIsExact()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(int, rate);
        QFETCH(int, samples);
        auto voice = voiceFor(QStringLiteral("ru"), SpeechEngineKind::Test);
        voice->SetRate(rate);
        const WavFile first = speak(*voice, text, flags);
        QCOMPARE(first.data.size(), samples * 2);
        QCOMPARE(speak(*voice, text, flags).data, first.data);
    }
};

QTEST_GUILESS_MAIN(TestSpeechAudio)
#include "tst_speechaudio.moc"

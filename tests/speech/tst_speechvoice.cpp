#include "SpeechTestSupport.h"
#include "files/VemoError.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/WaitForVoice.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "text/Segmentation.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The behaviour every engine shows through the voice interface; the whole suite runs once
// for the deterministic engine and once for espeak-ng.
class TestSpeechVoice : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SpeechVoice> newVoice(const QString& language = QStringLiteral("ru"))
    {
        QFETCH_GLOBAL(int, engine);
        auto voice = CreateVoice(SpeechEngineKind(engine));
        for (const VoiceToken& token : voice->GetVoices()) {
            if (token.language == language) {
                voice->SetVoice(token);
                break;
            }
        }
        return voice;
    }

    // Speaks text into a 22 kHz 16-bit mono file and returns the events.
    QStringList speakToFile(SpeechVoice& voice, const QString& text, int flags, EventLog& log)
    {
        SpFileStream stream;
        stream.SetFormatType(SAFT22kHz16BitMono);
        stream.Open(m_dir.filePath(QStringLiteral("out.wav")));
        voice.SetAudioOutputStream(&stream);
        voice.Speak(text, flags);
        if (!voice.WaitUntilDone(60000))
            return {QStringLiteral("time-out")};
        voice.SetAudioOutputStream(nullptr);
        stream.Close();
        return log.lines;
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<int>("engine");
        QTest::newRow("test") << int(SpeechEngineKind::Test);
        QTest::newRow("espeak") << int(SpeechEngineKind::Espeak);
    }

    void wordsAndSentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("mustSay");
        QTest::addColumn<QStringList>("sentences");
        QTest::newRow("russian, quotes, hyphen, number, CR LF")
            << QStringLiteral("Привет, «мир» кое-как 1234 штук.\r\nДа! Hello-world.")
            << QStringList{"Привет", "«мир»", "кое", "1234", "штук", "Да!", "Hello"}
            << QStringList{"Привет, «мир» кое-как 1234 штук.", "Да!", "Hello-world."};
        QTest::newRow("english, numbers, brackets, no final stop")
            << QStringLiteral("In 1984 it was 3.14 (or so).\r\n\r\nWell-known words; \"quoted\" end")
            << QStringList{"In", "1984", "3", "or", "Well", "quoted", "end"}
            << QStringList{"In 1984 it was 3.14 (or so).", "Well-known words; \"quoted\" end"};
        QTest::newRow("question, exclamation, ellipsis")
            << QStringLiteral("Кто там? Я! Ну… ладно.") << QStringList{"Кто", "там?", "Я!", "Ну…", "ладно"}
            << QStringList{"Кто там?", "Я!", "Ну…", "ладно."};
    }

    void wordsAndSentences()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, mustSay);
        QFETCH(QStringList, sentences);
        auto voice = newVoice();
        EventLog log(*voice);
        const QStringList lines = speakToFile(*voice, text, SpeakAsyncPlain, log);
        QCOMPARE(lines.last(), QStringLiteral("E"));
        QCOMPARE(log.count(QStringLiteral("E")), 1);
        int lastWord = -1;
        for (const QString& line : lines) {
            if (!line.startsWith(u'W'))
                continue;
            const int pos = line.section(u' ', 1, 1).toInt();
            const int len = line.section(u' ', 2, 2).toInt();
            QVERIFY2(pos > lastWord, qPrintable(line));
            QVERIFY(len > 0 && pos + len <= text.size());
            QVERIFY2(pos == 0 || IsSeparator(text.at(pos - 1)), qPrintable(line));
            QVERIFY2(pos + len == text.size() || IsSeparator(text.at(pos + len)), qPrintable(line));
            lastWord = pos;
        }
        const QStringList words = log.spans(u'W', text);
        for (const QString& word : mustSay)
            QVERIFY2(words.contains(word), qPrintable(word + u" not in "_qs + words.join(u'|')));
        QCOMPARE(log.spans(u'S', text), sentences);
        // A sentence event comes just before the first word of its sentence.
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i).startsWith(u'S'))
                QVERIFY(i + 1 < lines.size() &&
                        lines.at(i + 1).section(u' ', 1, 1) == lines.at(i).section(u' ', 1, 1));
        }
    }

    void nothingToSay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("separators") << QStringLiteral(" ,.;()\r\n\t\"'");
        QTest::newRow("empty markup") << QStringLiteral("<silence msec=\"10\"/>");
    }

    void nothingToSay()
    {
        QFETCH(QString, text);
        auto voice = newVoice();
        EventLog log(*voice);
        const int flags = text.startsWith(u'<') ? SpeakAsyncXml : SpeakAsyncPlain;
        QCOMPARE(speakToFile(*voice, text, flags, log).filter(QRegularExpression(u"^[WSE]"_qs)),
                 QStringList{QStringLiteral("E")});
    }

    void markupPositionsCountTags()
    {
        const QString markup = QStringLiteral("<rate speed=\"5\">Hello world.</rate> <silence msec=\"100\"/>"
                                              "<emph>Bye</emph> now &amp; <spell>ok</spell>.");
        auto voice = newVoice(QStringLiteral("en-gb"));
        EventLog log(*voice);
        speakToFile(*voice, markup, SpeakAsyncXml, log);
        const QStringList words = log.spans(u'W', markup);
        for (const QString& word : {u"Hello"_qs, u"world"_qs, u"Bye"_qs, u"now"_qs})
            QVERIFY2(words.contains(word), qPrintable(words.join(u'|')));
        QCOMPARE(log.spans(u'S', markup).first(), QStringLiteral("Hello world."));
        QVERIFY(words.filter(u"<"_qs).isEmpty() && words.filter(u">"_qs).isEmpty());
    }

    void voiceTokens()
    {
        QFETCH_GLOBAL(int, engine);
        QCOMPARE(CreateVoice(SpeechEngineKind(engine))->Voice().language, QStringLiteral("en-us"));
        auto voice = newVoice();
        const QList<VoiceToken> voices = voice->GetVoices();
        QVERIFY(!voices.isEmpty());
        for (const VoiceToken& token : voices)
            QVERIFY(!token.id.startsWith(u"mb/") && !token.id.startsWith(u"!v/"));
        voice->SetVoice(voices.last());
        QCOMPARE(voice->Voice(), voices.last());
        VoiceToken gone{QStringLiteral("zz/gone"), QStringLiteral("Gone (zz)"), QStringLiteral("zz")};
        QVERIFY_THROWS_EXCEPTION(VemoError, voice->SetVoice(gone));
        QCOMPARE(voice->Voice(), voices.last());
    }

    void rateAndVolumeAreClamped()
    {
        auto voice = newVoice();
        voice->SetRate(25);
        QCOMPARE(voice->Rate(), 10);
        voice->SetRate(-11);
        QCOMPARE(voice->Rate(), -10);
        voice->SetVolume(300);
        QCOMPARE(voice->Volume(), 100);
        voice->SetVolume(-1);
        QCOMPARE(voice->Volume(), 0);
    }

    // Misplaced calls do nothing harmful, and the voice speaks normally afterwards.
    void misplacedCalls()
    {
        auto voice = newVoice();
        EventLog log(*voice);
        voice->Speak(QString(), SpeakPurge);
        voice->Resume();
        voice->Pause();
        voice->Pause();
        voice->Resume();
        voice->Resume();
        QVERIFY(voice->WaitUntilDone(0));
        voice->Speak(QStringLiteral("Да."), SpeakAsyncPlain);
        QVERIFY(voice->WaitUntilDone(10000));
        QCOMPARE(log.lines.last(), QStringLiteral("E"));
        QCOMPARE(log.spans(u'W', QStringLiteral("Да.")), QStringList{QStringLiteral("Да")});
    }

    // A million characters: purge ends the speech at once and nothing of it is heard later.
    void purgeEndsHugeTextAtOnce()
    {
        auto voice = newVoice();
        EventLog log(*voice);
        QString text;
        while (text.size() < 1000000)
            text += QStringLiteral("Это длинный текст, and it goes on. ");
        voice->Speak(text.left(1000000), SpeakAsyncPlain);
        QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 2, 5000);
        QElapsedTimer timer;
        timer.start();
        voice->Speak(QString(), SpeakPurge);
        QVERIFY(voice->WaitUntilDone(1000));
        QVERIFY(timer.elapsed() < 1000);
        const int heard = int(log.lines.size());
        QTest::qWait(200);
        QCOMPARE(log.lines.size(), heard);
        QVERIFY(!log.lines.contains(QStringLiteral("E")));
    }

    // The owner may drop the voice mid-file and close the stream at once.
    void destroyedWhileWritingAFile()
    {
        SpFileStream stream;
        stream.SetFormatType(SAFT44kHz16BitStereo);
        stream.Open(m_dir.filePath(QStringLiteral("dropped.wav")));
        QElapsedTimer timer;
        {
            auto voice = newVoice();
            voice->SetAudioOutputStream(&stream);
            voice->Speak(QStringLiteral("Слово за словом, фраза за фразой. ").repeated(300), SpeakAsyncPlain);
            QTest::qWait(50);
            timer.start();
        }
        QVERIFY2(timer.elapsed() < 1000, "the engine went on with a dropped voice");
        stream.Close();
        const WavFile wav = WavFile::read(m_dir.filePath(QStringLiteral("dropped.wav")));
        QCOMPARE(qint64(wav.dataSize), wav.fileSize - 44);
    }

    void defaultEngine_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<int>("kind");
        QTest::newRow("unset") << QByteArray() << int(SpeechEngineKind::Espeak);
        QTest::newRow("test") << QByteArray("test") << int(SpeechEngineKind::Test);
        QTest::newRow("TEST with blanks") << QByteArray(" TEST ") << int(SpeechEngineKind::Test);
        QTest::newRow("espeak") << QByteArray("espeak") << int(SpeechEngineKind::Espeak);
        QTest::newRow("unknown") << QByteArray("sapi") << int(SpeechEngineKind::Espeak);
    }

    void defaultEngine()
    {
        QFETCH(QByteArray, variable);
        QFETCH(int, kind);
        if (variable.isNull())
            qunsetenv("VEMO_SPEECH_ENGINE");
        else
            qputenv("VEMO_SPEECH_ENGINE", variable);
        QCOMPARE(int(DefaultSpeechEngine()), kind);
        qunsetenv("VEMO_SPEECH_ENGINE");
    }

    void waitForVoiceEndsOrPurges()
    {
        auto voice = newVoice();
        EventLog log(*voice);
        voice->Speak(QStringLiteral("Раз два."), SpeakAsyncPlain);
        WaitForVoice(*voice, [] { return false; });
        QCOMPARE(log.lines.last(), QStringLiteral("E"));
        log.lines.clear();
        voice->Speak(QStringLiteral("Раз два три четыре пять шесть семь восемь девять десять. ").repeated(50),
                     SpeakAsyncPlain);
        QElapsedTimer timer;
        timer.start();
        WaitForVoice(*voice, [&] { return timer.elapsed() > 300; });
        QVERIFY(timer.elapsed() < 1500);
        QVERIFY(!log.lines.contains(QStringLiteral("E")));
    }
};

QTEST_GUILESS_MAIN(TestSpeechVoice)
#include "tst_speechvoice.moc"

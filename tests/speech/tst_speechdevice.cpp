#include "SpeechTestSupport.h"
#include "speech/SpeechVoice.h"
#include "speech/TestVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Speaking aloud: events come as the audio is heard, in real time, on the sound device
// or, when there is none, on a silent clock; pause holds them, purge drops them.
class TestSpeechDevice : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SpeechVoice> newVoice()
    {
        QFETCH_GLOBAL(int, engine);
        auto voice = CreateVoice(SpeechEngineKind(engine));
        if (auto* test = qobject_cast<TestVoice*>(voice.get()))
            test->SetWordMilliseconds(150);
        for (const VoiceToken& token : voice->GetVoices()) {
            if (token.language == u"ru") {
                voice->SetVoice(token);
                break;
            }
        }
        return voice;
    }

    // Seconds of audio the voice makes of text, measured in a file.
    double audioSeconds(SpeechVoice& voice, const QString& text)
    {
        SpFileStream stream;
        stream.SetFormatType(SAFT22kHz16BitMono);
        const QString path = m_dir.filePath(QStringLiteral("length.wav"));
        stream.Open(path);
        voice.SetAudioOutputStream(&stream);
        voice.Speak(text, SpeakAsyncPlain);
        voice.WaitUntilDone(30000);
        voice.SetAudioOutputStream(nullptr);
        stream.Close();
        return WavFile::read(path).seconds();
    }

    static bool waitForEnd(EventLog& log, int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (!log.lines.contains(QStringLiteral("E")) && timer.elapsed() < ms)
            QTest::qWait(5);
        return log.lines.contains(QStringLiteral("E"));
    }

    const QString m_text = QStringLiteral("Раз, два, три. Четыре, пять, шесть, семь.");
    QTemporaryDir m_dir;

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<int>("engine");
        QTest::newRow("test") << int(SpeechEngineKind::Test);
        QTest::newRow("espeak") << int(SpeechEngineKind::Espeak);
    }

    void speaksInRealTime()
    {
        auto voice = newVoice();
        const double seconds = audioSeconds(*voice, m_text);
        QVERIFY(seconds > 0.5);
        EventLog log(*voice);
        QSignalSpy messages(voice.get(), &SpeechVoice::DeviceMessage);
        QElapsedTimer timer;
        timer.start();
        voice->Speak(m_text, SpeakAsyncPlain);
        QVERIFY(!voice->WaitUntilDone(0));
        QVERIFY(waitForEnd(log, int(seconds * 1000) + 3000));
        const double elapsed = timer.elapsed() / 1000.0;
        QVERIFY2(elapsed > seconds * 0.9 && elapsed < seconds + 1.5,
                 qPrintable(QStringLiteral("%1 s for %2 s of audio").arg(elapsed).arg(seconds)));
        QCOMPARE(log.spans(u'W', m_text).size(), 7);
        QVERIFY(voice->WaitUntilDone(0));
        QFETCH_GLOBAL(int, engine);
        const bool silent = QMediaDevices::audioOutputs().isEmpty();
        QCOMPARE(messages.size(), engine == int(SpeechEngineKind::Espeak) && silent ? 1 : 0);
    }

    void pauseHoldsEventsAndResumeGoesOn()
    {
        auto voice = newVoice();
        const double seconds = audioSeconds(*voice, m_text);
        EventLog log(*voice);
        QElapsedTimer timer;
        timer.start();
        voice->Speak(m_text, SpeakAsyncPlain);
        QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 2, 5000);
        voice->Pause();
        const int heard = int(log.lines.size());
        QTest::qWait(700);
        QCOMPARE(log.lines.size(), heard);
        QVERIFY(!voice->WaitUntilDone(50));
        QCOMPARE(log.lines.size(), heard);
        voice->Resume();
        QVERIFY(waitForEnd(log, int(seconds * 1000) + 3000));
        QCOMPARE(log.spans(u'W', m_text).size(), 7);
        // The time spent paused was not skipped.
        QVERIFY(timer.elapsed() / 1000.0 > seconds * 0.9 + 0.7);
    }

    void purgeWhilePausedThenSpeakAgain()
    {
        auto voice = newVoice();
        EventLog log(*voice);
        voice->Speak(m_text, SpeakAsyncPlain);
        QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 1, 5000);
        voice->Pause();
        voice->Speak(QString(), SpeakPurge);
        voice->Resume();
        QVERIFY(voice->WaitUntilDone(100));
        log.lines.clear();
        const QString next = QStringLiteral("Восемь.");
        voice->Speak(next, SpeakAsyncPlain);
        QVERIFY(waitForEnd(log, 5000));
        QCOMPARE(log.spans(u'W', next), QStringList{QStringLiteral("Восемь")});
        QCOMPARE(log.count(QStringLiteral("E")), 1);
    }
};

QTEST_GUILESS_MAIN(TestSpeechDevice)
#include "tst_speechdevice.moc"

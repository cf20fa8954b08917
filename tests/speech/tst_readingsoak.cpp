#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "text/Segmentation.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTest>

// Reading aloud on the real sound server, many times over: the espeak-ng voices take
// turns fragment by fragment as a reading run hands them out, and every fragment's end of
// stream must arrive within a bounded time, also with pauses and resumes in between. A
// fragment whose last samples the server holds back would end no run here.
class TestReadingSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsToTheEndEveryTime_data();
    void readsToTheEndEveryTime();
    void cleanupTestCase();

private:
    // Speaks every fragment in turn and waits for its end; false with a reason when a
    // fragment never ends.
    bool readOnce(const FragmentLists& fragments, int pauseEvery, QString& why);
    SpeechVoice& voiceOf(const QString& lang) { return lang == u"E" ? *m_eng : *m_ru; }

    std::unique_ptr<SpeechVoice> m_ru;
    std::unique_ptr<SpeechVoice> m_eng;
    bool m_ended = false;
    int m_fragmentEnds = 0;
};

void TestReadingSoak::initTestCase()
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        QSKIP("no sound server: this test reads through a real one");
    m_ru = CreateVoice(SpeechEngineKind::Espeak);
    m_eng = CreateVoice(SpeechEngineKind::Espeak);
    for (const VoiceToken& token : m_ru->GetVoices()) {
        if (token.language == u"ru")
            m_ru->SetVoice(token);
        if (token.language == u"en-gb")
            m_eng->SetVoice(token);
    }
    for (SpeechVoice* voice : {m_ru.get(), m_eng.get()}) {
        voice->SetRate(6); // quicker runs, the same number of fragment ends
        connect(voice, &SpeechVoice::EndStream, this, [this](int, qint64) { m_ended = true; });
    }
}

void TestReadingSoak::cleanupTestCase()
{
    qInfo("fragment ends heard: %d", m_fragmentEnds);
    QVERIFY(m_fragmentEnds >= 200 || QMediaDevices::defaultAudioOutput().isNull());
    // The voices and their sound streams go while the sound server's connection is alive,
    // not in the static clean-up at exit.
    m_ru.reset();
    m_eng.reset();
    QTest::qWait(200);
}

bool TestReadingSoak::readOnce(const FragmentLists& fragments, int pauseEvery, QString& why)
{
    for (int k = 0; k < fragments.Count(); ++k) {
        SpeechVoice& voice = voiceOf(fragments.FragmentLangs.at(k));
        m_ended = false;
        voice.Speak(fragments.FragmentTexts.at(k), SpeakAsyncPlain);
        if (pauseEvery > 0 && k % pauseEvery == 0) {
            QTest::qWait(60);
            voice.Pause();
            QTest::qWait(150);
            voice.Resume();
        }
        QElapsedTimer timer;
        timer.start();
        // A short fragment plays in well under a second; three seconds means it never ends.
        while (!m_ended && timer.elapsed() < 3000)
            QTest::qWait(5);
        if (!m_ended) {
            why = QStringLiteral("no end of stream for fragment %1 «%2»")
                      .arg(k)
                      .arg(fragments.FragmentTexts.at(k));
            voice.Speak(QString(), SpeakPurge);
            return false;
        }
        ++m_fragmentEnds;
        if (qEnvironmentVariableIsSet("VEMO_SOAK_VERBOSE"))
            qInfo("fragment %d «%s» ended after %lld ms", k, qPrintable(fragments.FragmentTexts.at(k)),
                  timer.elapsed());
    }
    return true;
}

void TestReadingSoak::readsToTheEndEveryTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("runs");
    QTest::addColumn<int>("pauseEvery");
    const QString mixed =
        QStringLiteral("Привет, world! Как дела? This is a test. Это второе предложение, with English words. "
                       "Ещё one more sentence.");
    // One word a fragment: the shortest fragments, the most ends.
    const QString words = QStringLiteral("да yes нет no раз one два two три three четыре four пять five");
    QTest::newRow("sentences") << mixed << 6 << 0;
    QTest::newRow("single words") << words << 8 << 0;
    QTest::newRow("single words, paused and resumed") << words << 3 << 3;
}

void TestReadingSoak::readsToTheEndEveryTime()
{
    QFETCH(QString, text);
    QFETCH(int, runs);
    QFETCH(int, pauseEvery);
    FragmentLists fragments;
    SplitPlainText(text, FragmentLimit, QStringLiteral("R"), fragments, QString());
    QVERIFY(fragments.Count() > 4);
    for (int run = 0; run < runs; ++run) {
        QString why;
        QVERIFY2(readOnce(fragments, pauseEvery, why),
                 qPrintable(QStringLiteral("run %1: %2").arg(run).arg(why)));
    }
}

QTEST_MAIN(TestReadingSoak)
#include "tst_readingsoak.moc"

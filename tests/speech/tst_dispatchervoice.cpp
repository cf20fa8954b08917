#include "PrivateDispatcher.h"
#include "SpeechTestSupport.h"
#include "files/VemoError.h"
#include "speech/FileVoiceCheck.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// speech-dispatcher's voices against a private daemon that the test starts: its own
// configuration folder and socket, its espeak-ng module, its sound going to the sound server
// of the run (the null sink of tools/with-pulse.sh).
class TestDispatcherVoice : public QObject
{
    Q_OBJECT

private:
    PrivateDispatcher m_daemon;
    QList<VoiceToken> m_voices;
    std::unique_ptr<SpeechVoice> m_lister; // keeps the connection and its listing for the whole test

    VoiceToken serviceVoice(const QString& language) const;
    std::unique_ptr<SpeechVoice> newVoice(const QString& language);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listsEveryModuleVoice();
    void readsWithHighlighting_data();
    void readsWithHighlighting();
    void pausesAndResumes();
    void purgeStops();
    void rateReachesTheDaemon();
    void listsAgainAfterSpeechWasStopped();
    void toFileRefused_data();
    void toFileRefused();
    void aDaemonThatGoesEndsTheText_data();
    void aDaemonThatGoesEndsTheText();
};

void TestDispatcherVoice::initTestCase()
{
    if (!PrivateDispatcher::Installed())
        QSKIP("speech-dispatcher and its espeak-ng module are not installed (tools/packages/test.txt)");
    QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start");
    m_lister = CreateVoice(SpeechEngineKind::Espeak);
    QVERIFY2(m_lister->WaitForVoices(60000), "speech-dispatcher did not list its voices");
    for (const VoiceToken& token : m_lister->GetVoices()) {
        if (token.aloudOnly)
            m_voices.append(token);
    }
}

void TestDispatcherVoice::cleanupTestCase()
{
    m_lister.reset();
    m_daemon.Stop();
}

VoiceToken TestDispatcherVoice::serviceVoice(const QString& language) const
{
    for (const VoiceToken& token : m_voices) {
        if (token.language == language && !token.variant)
            return token;
    }
    return {};
}

std::unique_ptr<SpeechVoice> TestDispatcherVoice::newVoice(const QString& language)
{
    auto voice = CreateVoice(SpeechEngineKind::Espeak);
    const VoiceToken token = serviceVoice(language);
    if (!token.IsNull())
        voice->SetVoice(token);
    return voice;
}

// Every voice of the module is there, marked with it; variants only of Russian and English.
void TestDispatcherVoice::listsEveryModuleVoice()
{
    QVERIFY(m_voices.size() > 100);
    QSet<QString> ids;
    for (const VoiceToken& token : m_voices) {
        QCOMPARE(token.engine, QStringLiteral("speech-dispatcher: espeak-ng"));
        QVERIFY2(token.description.endsWith(QStringLiteral(" [speech-dispatcher: espeak-ng]")),
                 qPrintable(token.description));
        QVERIFY2(!token.variant || token.language == u"ru" || token.language.startsWith(u"en"),
                 qPrintable(token.id));
        QVERIFY2(!ids.contains(token.id), qPrintable(token.id));
        ids.insert(token.id);
    }
    QCOMPARE(serviceVoice(QStringLiteral("ru")).description,
             QStringLiteral("Russian (ru) [speech-dispatcher: espeak-ng]"));
    QVERIFY(!serviceVoice(QStringLiteral("en-us")).IsNull());
    QVERIFY(std::any_of(m_voices.cbegin(), m_voices.cend(), [](const VoiceToken& t) { return t.variant; }));
}

void TestDispatcherVoice::readsWithHighlighting_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("sentences");
    QTest::newRow("Russian, two sentences")
        << "ru"
        << "Привет, мир. Как дела?" << SpeakAsyncPlain << QStringList{"Привет", "мир", "Как", "дела?"}
        << QStringList{"Привет, мир.", "Как дела?"};
    QTest::newRow("English, three sentences")
        << "en-us"
        << "Hello there. How are you? Fine, thanks." << SpeakAsyncPlain
        << QStringList{"Hello", "there", "How", "are", "you?", "Fine", "thanks"}
        << QStringList{"Hello there.", "How are you?", "Fine, thanks."};
    QTest::newRow("English with markup characters")
        << "en-us"
        << "Tom & Jerry <run> home." << SpeakAsyncPlain << QStringList{"Tom", "&", "Jerry", "<run>", "home"}
        << QStringList{"Tom & Jerry <run> home."};
    QTest::newRow("marked-up text: positions count the tags")
        << "en-us"
        << "<volume level=\"80\">One two</volume> three." << SpeakAsyncXml
        << QStringList{"One", "two", "three"} << QStringList{};
}

// Word events land on their words in order, each sentence is reported, and the end comes.
void TestDispatcherVoice::readsWithHighlighting()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QStringList, words);
    QFETCH(QStringList, sentences);
    auto voice = newVoice(language);
    QVERIFY(voice->Voice().aloudOnly);
    EventLog log(*voice);
    voice->Speak(text, flags);
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains(QStringLiteral("E")), 20000);
    QVERIFY2(log.spans(u'W', text) == words, qPrintable(log.lines.join(u',')));
    if (!sentences.isEmpty())
        QCOMPARE(log.spans(u'S', text), sentences);
    QCOMPARE(log.count(QStringLiteral("L")), 0); // no audio level: the meter stays at rest
    QCOMPARE(log.lines.constLast(), QStringLiteral("E"));
    QVERIFY(voice->WaitUntilDone(2000));
}

// A paused voice says no word until it resumes, then speaks to the end.
void TestDispatcherVoice::pausesAndResumes()
{
    auto voice = newVoice(QStringLiteral("ru"));
    EventLog log(*voice);
    const QString text = QStringLiteral("Раз два три четыре пять шесть семь восемь девять десять одиннадцать "
                                        "двенадцать.");
    voice->Speak(text, SpeakAsyncPlain);
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 2, 20000);
    voice->Pause();
    QTest::qWait(700); // the word being spoken may still end
    const int atPause = log.count(QStringLiteral("W"));
    QTest::qWait(1200);
    QCOMPARE(log.count(QStringLiteral("W")), atPause);
    QVERIFY(!log.lines.contains(QStringLiteral("E")));
    QVERIFY(!voice->WaitUntilDone(0));
    voice->Resume();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains(QStringLiteral("E")), 20000);
    // Every word once, in order: the word cut by the pause is not highlighted twice.
    QCOMPARE(log.spans(u'W', text), text.chopped(1).split(u' '));
    QCOMPARE(log.count(QStringLiteral("E")), 1);
}

// A purge ends the speech at once without an end event; the voice then speaks again.
void TestDispatcherVoice::purgeStops()
{
    auto voice = newVoice(QStringLiteral("en-us"));
    EventLog log(*voice);
    voice->Speak(QStringLiteral("One two three four five six seven eight nine ten eleven twelve."),
                 SpeakAsyncPlain);
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 1, 20000);
    voice->Speak(QString(), SpeakPurge);
    QVERIFY(voice->WaitUntilDone(3000));
    const int atPurge = log.count(QStringLiteral("W"));
    QTest::qWait(1000);
    QVERIFY2(log.count(QStringLiteral("W")) <= atPurge + 1, qPrintable(log.lines.join(u',')));
    QVERIFY(!log.lines.contains(QStringLiteral("E")));
    log.lines.clear();
    voice->Speak(QStringLiteral("Again."), SpeakAsyncPlain);
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains(QStringLiteral("E")), 20000);
    QCOMPARE(log.spans(u'W', QStringLiteral("Again.")), QStringList{QStringLiteral("Again")});
}

// The daemon speaks faster at the top rate than at the normal one.
void TestDispatcherVoice::rateReachesTheDaemon()
{
    auto voice = newVoice(QStringLiteral("en-us"));
    const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog and runs far away.");
    const auto duration = [&](int rate) {
        voice->SetRate(rate);
        QSignalSpy ended(voice.get(), &SpeechVoice::EndStream);
        QElapsedTimer clock;
        clock.start();
        voice->Speak(text, SpeakAsyncPlain);
        return ended.wait(20000) ? clock.elapsed() : -1;
    };
    const qint64 normal = duration(0);
    const qint64 fast = duration(10);
    QVERIFY(normal > 0 && fast > 0);
    QVERIFY2(fast * 10 < normal * 7,
             qPrintable(QStringLiteral("%1 ms at 10, %2 ms at 0").arg(fast).arg(normal)));
}

// A process that asks again right after its voices stopped speaking and went (the daemon's
// module is still stopping) gets the voices all the same.
void TestDispatcherVoice::listsAgainAfterSpeechWasStopped()
{
    m_lister.reset();
    {
        auto voice = CreateVoice(SpeechEngineKind::Espeak);
        QVERIFY(voice->WaitForVoices(60000));
        voice->SetVoice(serviceVoice(QStringLiteral("en-us")));
        QSignalSpy words(voice.get(), &SpeechVoice::Word);
        voice->Speak(QStringLiteral("One two three four five six seven eight nine ten."), SpeakAsyncPlain);
        QVERIFY(words.wait(20000));
        voice->Speak(QString(), SpeakPurge);
    }
    m_lister = CreateVoice(SpeechEngineKind::Espeak);
    QVERIFY(m_lister->WaitForVoices(60000));
    const QList<VoiceToken> voices = m_lister->GetVoices();
    QVERIFY(voices.contains(serviceVoice(QStringLiteral("ru"))));
}

void TestDispatcherVoice::toFileRefused_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("message");
    const QString ru = QStringLiteral("Russian (ru) [speech-dispatcher: espeak-ng]");
    QTest::newRow("--to-file, Russian") << "ru_RU.UTF-8" << QStringList{"--to-file", "text.txt", "out.wav"}
                                        << "голос «" + ru + "» читает только вслух";
    QTest::newRow("--to-file, English") << "C.UTF-8" << QStringList{"--to-file", "text.txt", "out.wav"}
                                        << "the voice «" + ru + "» reads aloud only";
    QTest::newRow("--convert-folder")
        << "ru_RU.UTF-8" << QStringList{"--convert-folder", "."} << "голос «" + ru + "» читает только вслух";
}

// The command line refuses before anything is written and names the voice to choose instead.
void TestDispatcherVoice::toFileRefused()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, command);
    QFETCH(QString, message);
    QTemporaryDir work;
    QFile text(work.filePath(QStringLiteral("text.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Привет, мир. Hello world.\n");
    text.close();
    QProcess vemo;
    vemo.setWorkingDirectory(work.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    vemo.setProcessEnvironment(env);
    vemo.start(QStringLiteral(VEMO_PROGRAM),
               command + QStringList{"--voice-ru", serviceVoice(QStringLiteral("ru")).id});
    QVERIFY(vemo.waitForFinished(90000));
    const QString error = QString::fromLocal8Bit(vemo.readAllStandardError());
    QCOMPARE(vemo.exitCode(), 1);
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("[espeak-ng]»")), qPrintable(error)); // the voice to take instead
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("text.txt")});
}

void TestDispatcherVoice::aDaemonThatGoesEndsTheText_data()
{
    QTest::addColumn<bool>("crash");
    QTest::newRow("stopped") << false;
    QTest::newRow("killed") << true;
}

// A daemon that stops or dies in the middle of a text ends it: the text's end comes with the
// reason, the voice's next call reports it, and once a daemon answers again the voice speaks
// with it.
void TestDispatcherVoice::aDaemonThatGoesEndsTheText()
{
    QFETCH(bool, crash);
    if (!m_daemon.Running())
        QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start");
    auto voice = newVoice(QStringLiteral("en-us"));
    EventLog log(*voice);
    QStringList messages;
    connect(voice.get(), &SpeechVoice::DeviceMessage, this, [&messages](const QString& m) { messages << m; });
    voice->Speak(QStringLiteral("One two three four five six seven eight nine ten eleven twelve thirteen "
                                "fourteen fifteen sixteen seventeen eighteen nineteen twenty."),
                 SpeakAsyncPlain);
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("W")) >= 1, 20000);
    m_daemon.Stop(crash);
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains(QStringLiteral("E")), 5000);
    QVERIFY2(messages.join(u'\n').contains(QStringLiteral("speech-dispatcher")),
             qPrintable(messages.join(u'\n')));
    // The voice's next call reports the failure once, as a failed Speak of any voice does.
    QString reported;
    try {
        voice->WaitUntilDone(1000);
    } catch (const VemoError& e) {
        reported = e.Message();
    }
    QVERIFY2(reported.contains(QStringLiteral("speech-dispatcher")), qPrintable(reported));

    QVERIFY2(m_daemon.Start(), "the private speech-dispatcher did not start again");
    // The new daemon starts its module with the first text: texts may end unheard until then.
    bool spoken = false;
    QElapsedTimer trying;
    trying.start();
    while (!spoken && trying.elapsed() < 40000) {
        log.lines.clear();
        try {
            voice->Speak(QStringLiteral("Again."), SpeakAsyncPlain);
        } catch (const VemoError& e) { // the failure of the attempt before
            messages << e.Message();
            continue;
        }
        QTRY_VERIFY_WITH_TIMEOUT(log.lines.contains(QStringLiteral("E")), 30000);
        spoken = log.spans(u'W', QStringLiteral("Again.")) == QStringList{QStringLiteral("Again")};
        if (!spoken)
            QTest::qWait(500);
    }
    QVERIFY2(spoken, qPrintable(log.lines.join(u',') + u' ' + messages.join(u'\n')));
}

QTEST_MAIN(TestDispatcherVoice)
#include "tst_dispatchervoice.moc"

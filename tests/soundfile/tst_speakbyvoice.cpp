#include "soundfile/FillEncoderConfig.h"
#include "soundfile/SpeakToFileHost.h"
#include "soundfile/SpeakToFileRun.h"
#include "speech/SpeechVoice.h"
#include "speech/VoiceFactory.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"
#include "text/Segmentation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A bilingual text whose fragments differ in length from one another, with digits, line
// breaks and sentence ends inside fragments, so that any fragment (or word) out of place
// shows in the audio or in the subtitles.
const QString Text = QStringLiteral(
    "Утро выдалось тихим и ясным. The committee met on Tuesday, and 12 members agreed. "
    "Вчера мы обновили сервер до Debian 12 и перенесли базу на PostgreSQL.\r\n"
    "She opened the window! Если вы хотите научиться говорить на новом языке, начните с простых фраз. "
    "Hello again, world? Мир велик.\r\n"
    "A short one. Да. Then a much longer English sentence follows here, with commas, colons: and more words "
    "than any other fragment has. Конец.");

// The text as the markup tab writes it: the voice and volume change inside the one fragment.
const QString MarkedUpText =
    QStringLiteral("<voice required=\"Language=409\">Good morning, <volume level=\"50\">quietly</volume>."
                   "</voice> Доброе утро, <rate speed=\"5\">быстро</rate>.");

std::unique_ptr<SpeechVoice> VoiceOf(const QString& id)
{
    auto voice = CreateVoice(id.startsWith(u"test/") ? SpeechEngineKind::Test : SpeechEngineKind::Espeak);
    for (const VoiceToken& token : voice->GetVoices()) {
        if (token.id == id) {
            voice->SetVoice(token);
            return voice;
        }
    }
    return nullptr;
}

// A host with a voice of each language, noting what the run shows.
class Host : public SpeakToFileHost
{
public:
    Host(std::unique_ptr<SpeechVoice> ru, std::unique_ptr<SpeechVoice> eng)
        : m_ru(std::move(ru)), m_eng(std::move(eng))
    {
        // The voices differ in rate and loudness, so that a fragment in the other's place shows.
        m_ru->SetRate(2);
        m_ru->SetVolume(60);
    }

    SpeechVoice& VoiceRu() override { return *m_ru; }
    SpeechVoice& VoiceEng() override { return *m_eng; }
    SpFileStream& FileStream() override { return stream; }
    FragmentLists& Fragments() override { return lists; }
    void SetFragmentIndex(int index) override { shown << QStringLiteral("index %1").arg(index); }
    bool StopToFileRequested() const override { return false; }
    void LetMessagesThrough() override { QCoreApplication::processEvents(); }
    void ShowFragment(const QString& logEntry) override { shown << logEntry; }
    void ShowProgress(const QString& captionSuffix) override { shown << captionSuffix; }
    void ShowConversionError(const QString& message, const QString& wav) override { shown << message + wav; }
    // Told when a conversion beside the speaking ends: at no fixed place among the rest.
    void SoundFileFinished(const QString& fileName) override { finished << QFileInfo(fileName).fileName(); }

    SpFileStream stream;
    FragmentLists lists;
    QStringList shown;
    QStringList finished;

private:
    std::unique_ptr<SpeechVoice> m_ru;
    std::unique_ptr<SpeechVoice> m_eng;
};

struct Outcome
{
    QMap<QString, QByteArray> files; // every file of the run's folder, by name
    QStringList shown;
    QStringList finished;
    QStringList texts; // of the fragments
    bool bothLanguages = false;
};

} // namespace

// Speaking each voice's fragments of a stretch in one go, ahead of their turn, gives the very
// files that speaking them in turn gives: every sound file sample for sample (and byte for
// byte, header and MP3 frames included), the subtitles byte for byte, and the same progress.
class TestSpeakByVoice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QDir::setCurrent(m_dir.path()); }
    void sameFilesAsInTurn_data();
    void sameFilesAsInTurn();
    void espeakWithinItsOwnVariation_data();
    void espeakWithinItsOwnVariation();

private:
    static void addColumns();
    static void expectWorkerMessages(const QString& worker);
    Outcome run(const QString& name, bool byVoice);
    bool voicesInstalled() const;

    QTemporaryDir m_dir;
};

void TestSpeakByVoice::sameFilesAsInTurn_data()
{
    addColumns();
    const QString testRu = QStringLiteral("test/ru");
    const QString testEn = QStringLiteral("test/en");
    QTest::newRow("22 kHz 16-bit mono")
        << testRu << testEn << int(SAFT22kHz16BitMono) << false << false << false << 1000 << QString();
    QTest::newRow("stretches of 3 fragments, 44 kHz stereo, parts")
        << testRu << testEn << int(SAFT44kHz16BitStereo) << true << false << false << 3 << QString();
    QTest::newRow("8 kHz 8-bit, a stretch a fragment")
        << testRu << testEn << int(SAFT8kHz8BitMono) << false << false << false << 1 << QString();
    QTest::newRow("MP3 parts, 11 kHz")
        << testRu << testEn << int(SAFT11kHz16BitMono) << true << true << false << 4 << QString();
    QTest::newRow("MP3, undivided") << testRu << testEn << int(SAFT22kHz16BitMono) << false << true << false
                                    << 1000 << QString();
    QTest::newRow("marked-up text") << testRu << testEn << int(SAFT16kHz16BitMono) << false << false << true
                                    << 1000 << QString();
    QTest::newRow("Flite English, 48 kHz parts")
        << testRu << QStringLiteral("flite/kal") << int(SAFT48kHz16BitMono) << true << false << false << 5
        << QString();
    QTest::newRow("Festival Russian, Flite English")
        << QStringLiteral("festival/msu_ru_nsh_clunits") << QStringLiteral("flite/kal")
        << int(SAFT32kHz16BitMono) << true << true << false << 1000 << QString();
    // The ahead voice in a worker process: the same files whatever the worker delivers.
    const QString worker = QStringLiteral(VEMO_PROGRAM);
    QTest::newRow("worker, 22 kHz 16-bit mono")
        << testRu << testEn << int(SAFT22kHz16BitMono) << false << false << false << 1000 << worker;
    QTest::newRow("worker, stretches of 3, 44 kHz stereo, parts")
        << testRu << testEn << int(SAFT44kHz16BitStereo) << true << false << false << 3 << worker;
    QTest::newRow("worker, MP3 parts, 11 kHz")
        << testRu << testEn << int(SAFT11kHz16BitMono) << true << true << false << 4 << worker;
    QTest::newRow("worker, Flite English, 48 kHz parts")
        << testRu << QStringLiteral("flite/kal") << int(SAFT48kHz16BitMono) << true << false << false << 5
        << worker;
    // A worker that cannot start, or ends without a word: the run speaks every fragment itself.
    QTest::newRow("worker missing") << testRu << testEn << int(SAFT22kHz16BitMono) << true << false << false
                                    << 3 << QStringLiteral("/nonexistent/vemo");
    QTest::newRow("worker failing") << testRu << testEn << int(SAFT16kHz16BitMono) << false << false << false
                                    << 1000 << QStringLiteral("/bin/false");
}

void TestSpeakByVoice::addColumns()
{
    QTest::addColumn<QString>("ru");
    QTest::addColumn<QString>("en");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("divide");
    QTest::addColumn<bool>("mp3");
    QTest::addColumn<bool>("xml");
    QTest::addColumn<int>("ahead");      // fragments of a stretch at most
    QTest::addColumn<QString>("worker"); // the program speaking ahead; empty: the run itself
}

// The program itself delivers every fragment: a warning about it means the run spoke them in
// its own process instead. Any other worker fails, which the run tells once.
void TestSpeakByVoice::expectWorkerMessages(const QString& worker)
{
    const QRegularExpression aboutWorker(
        QRegularExpression::escape(worker + QStringLiteral(" --speak-ahead")));
    if (worker == QStringLiteral(VEMO_PROGRAM))
        QTest::failOnWarning(aboutWorker);
    else if (!worker.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, aboutWorker);
}

bool TestSpeakByVoice::voicesInstalled() const
{
    QFETCH(QString, ru);
    QFETCH(QString, en);
    return VoiceOf(ru) && VoiceOf(en);
}

Outcome TestSpeakByVoice::run(const QString& name, bool byVoice)
{
    QFETCH(QString, ru);
    QFETCH(QString, en);
    QFETCH(int, format);
    QFETCH(bool, divide);
    QFETCH(bool, mp3);
    QFETCH(bool, xml);
    QFETCH(int, ahead);
    QFETCH(QString, worker);
    Outcome outcome;
    Host host(VoiceOf(ru), VoiceOf(en));
    SpeakToFileSettings settings;
    settings.streamFormatType = format;
    settings.divide = divide;
    settings.partCharLimit = 150;
    settings.mp3 = mp3;
    settings.encoderConfig = FillEncoderConfig(Mp3Choices{}).config;
    settings.speakByVoice = byVoice;
    settings.aheadFragments = ahead;
    settings.aheadProgram = byVoice ? worker : QString();
    settings.speakFlags =
        SpeakToFileRun::SplitText(xml ? MarkedUpText : Text, xml, QStringLiteral("R"), host.lists);
    const QDir folder(m_dir.filePath(name));
    if (!folder.mkpath(QStringLiteral(".")))
        return outcome;
    SpeakToFileRun(host, PartFileNames::ForChosenName(folder.filePath(QStringLiteral("book.wav"))), settings)
        .Run();
    for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(folder.filePath(file));
        outcome.files[file] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
    }
    outcome.shown = host.shown;
    outcome.finished = host.finished;
    outcome.shown.replaceInStrings(folder.path(), QStringLiteral("FOLDER"));
    outcome.texts = host.lists.FragmentTexts;
    outcome.bothLanguages =
        host.lists.FragmentLangs.contains(u"E") && host.lists.FragmentLangs.contains(u"R");
    return outcome;
}

void TestSpeakByVoice::sameFilesAsInTurn()
{
    QFETCH(bool, xml);
    QFETCH(bool, divide);
    QFETCH(bool, mp3);
    QFETCH(QString, worker);
    if (!voicesInstalled())
        QSKIP("a voice of this row is not installed");
    expectWorkerMessages(worker);
    const QString row = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'_').replace(u',', u'_');
    const Outcome inTurn = run(row + QStringLiteral("-in-turn"), false);
    const Outcome byVoice = run(row + QStringLiteral("-by-voice"), true);
    QVERIFY(inTurn.bothLanguages || xml);

    QCOMPARE(byVoice.files.keys(), inTurn.files.keys());
    const QString sound = mp3 ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    QCOMPARE(inTurn.files.keys().filter(sound).size(),
             divide ? SpeakToFileRun::CountParts(inTurn.texts, 150) : 1);
    for (auto file = inTurn.files.cbegin(); file != inTurn.files.cend(); ++file) {
        if (file.key().endsWith(sound))
            QVERIFY2(file.value().size() > 44, qPrintable(file.key()));
        const QByteArray& other = byVoice.files.value(file.key());
        if (other == file.value())
            continue;
        qsizetype at = 0;
        while (at < other.size() && at < file.value().size() && other.at(at) == file.value().at(at))
            ++at;
        QFAIL(qPrintable(QStringLiteral("%1 differs from byte %2 on (%3 against %4 bytes)")
                             .arg(file.key())
                             .arg(at)
                             .arg(other.size())
                             .arg(file.value().size())));
    }
    QCOMPARE(byVoice.shown, inTurn.shown);
    QCOMPARE(byVoice.finished, inTurn.finished);
}

void TestSpeakByVoice::espeakWithinItsOwnVariation_data()
{
    addColumns();
    const QString ru = QStringLiteral("zle/ru");
    const QString en = QStringLiteral("gmw/en-US");
    QTest::newRow("WAV parts") << ru << en << int(SAFT22kHz16BitMono) << true << false << false << 1000
                               << QString();
    QTest::newRow("MP3, stretches of 2")
        << ru << en << int(SAFT16kHz16BitMono) << false << true << false << 2 << QString();
    QTest::newRow("marked-up text") << ru << en << int(SAFT44kHz16BitMono) << false << false << true << 1000
                                    << QString();
    QTest::newRow("WAV parts, worker") << ru << en << int(SAFT22kHz16BitMono) << true << false << false
                                       << 1000 << QStringLiteral(VEMO_PROGRAM);
}

// espeak-ng keeps state of its wave generator from one Speak to the next (the phase of its
// pitch flutter and of the glottal wave, in statics that no call resets), so the same text
// spoken twice in one process already differs in its samples: no order can give the samples
// of another. Speaking by voice gives the same files, the same progress and the same cues,
// each file as long as speaking in turn makes it, within the few per mille the engine's
// state moves it from one run to the next.
void TestSpeakByVoice::espeakWithinItsOwnVariation()
{
    QFETCH(bool, mp3);
    QFETCH(QString, worker);
    if (!voicesInstalled())
        QSKIP("espeak-ng's Russian or American English voice is not installed");
    expectWorkerMessages(worker);
    const QString row = QString::fromUtf8(QTest::currentDataTag()).replace(u' ', u'_').replace(u',', u'_');
    const Outcome inTurn = run(QStringLiteral("espeak-") + row + QStringLiteral("-in-turn"), false);
    const Outcome byVoice = run(QStringLiteral("espeak-") + row + QStringLiteral("-by-voice"), true);
    QCOMPARE(byVoice.files.keys(), inTurn.files.keys());
    QCOMPARE(byVoice.shown, inTurn.shown);
    QCOMPARE(byVoice.finished, inTurn.finished);
    const auto cueTexts = [](const QByteArray& srt) {
        QStringList texts;
        for (const QString& cue :
             QString::fromUtf8(srt).split(QStringLiteral("\r\n\r\n"), Qt::SkipEmptyParts))
            texts << cue.section(QStringLiteral("\r\n"), 2);
        return texts;
    };
    for (auto file = inTurn.files.cbegin(); file != inTurn.files.cend(); ++file) {
        const QByteArray& other = byVoice.files.value(file.key());
        if (file.key().endsWith(u".srt")) {
            QVERIFY(!cueTexts(file.value()).isEmpty());
            QCOMPARE(cueTexts(other), cueTexts(file.value()));
        } else if (file.key().endsWith(mp3 ? u".mp3" : u".wav")) {
            const double ratio = double(other.size()) / double(qMax<qsizetype>(1, file.value().size()));
            QVERIFY2(qAbs(ratio - 1) < 0.03, qPrintable(QStringLiteral("%1: %2 bytes against %3")
                                                            .arg(file.key())
                                                            .arg(other.size())
                                                            .arg(file.value().size())));
        }
    }
}

QTEST_GUILESS_MAIN(TestSpeakByVoice)
#include "tst_speakbyvoice.moc"

#include "files/VemoError.h"
#include "main/ReadingRun.h"
#include "main/ReadingView.h"
#include "speech/SpeechVoice.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The reading run on its own: voices that only record what they are asked and report the
// events the test gives them, and a view that records what it is shown.
class TestReadingRun : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryFragmentWithItsVoice_data();
    void readsEveryFragmentWithItsVoice();
    void pauseHoldsTheRunAndResumeGoesOn();
    void stopTakesTheEmphasisAway();
    void breakOffLeavesNothingToRead();
    void aVoiceThatFailsEndsTheRunThroughTheGuard();
    void aLongTextIsReadWhileItIsCut_data();
    void aLongTextIsReadWhileItIsCut();
    void aFileRunTakesTheListsFromAnUnfinishedCut();
    void theTextIsTakenAsTheCutNeedsIt();
};

namespace {

class FakeVoice : public SpeechVoice
{
public:
    QList<VoiceToken> GetVoices() const override { return {}; }
    VoiceToken Voice() const override { return {}; }
    void SetVoice(const VoiceToken&) override {}
    void SetEventInterests(int) override {}
    int Rate() const override { return 0; }
    void SetRate(int) override {}
    int Volume() const override { return 100; }
    void SetVolume(int) override {}
    void Speak(const QString& text, int flags) override
    {
        if (failing && !text.isEmpty())
            throw VemoError(QStringLiteral("the voice cannot speak"));
        spoken << (flags == SpeakPurge ? QStringLiteral("<purge>") : text);
    }
    void Pause() override { ++pauses; }
    void Resume() override { ++resumes; }
    bool WaitUntilDone(int) override { return true; }
    SpFileStream* AudioOutputStream() const override { return nullptr; }
    void SetAudioOutputStream(SpFileStream*) override {}
    void SetAllowAudioOutputFormatChangesOnNextSet(bool) override {}

    QStringList spoken;
    int pauses = 0;
    int resumes = 0;
    bool failing = false;
};

class FakeView : public ReadingView
{
public:
    void SelectRange(int start, int length) override { selected << qMakePair(start, length); }
    void SetRangeStyle(int start, int length, bool bold) override
    {
        if (bold)
            emphasis = qMakePair(start, length);
        else if (emphasis == qMakePair(start, length))
            emphasis = {};
    }
    void RemoveEmphasis(int start, int length) override
    {
        if (emphasis == qMakePair(start, length))
            emphasis = {};
    }
    void SetTextEditable(bool editable) override { this->editable = editable; }
    void ClearLog() override { log.clear(); }
    void AppendLog(const QString& line) override { log << line; }
    bool XmlMode() const override { return false; }
    QString DigitChoice() const override { return QStringLiteral("R"); }
    bool PicturesWanted() const override { return false; }
    void ShowDictionaryPicture(const QString&) override {}
    void ShowAudioLevel(const QString& lang, int level) override { levels[lang] = level; }

    QList<QPair<int, int>> selected;
    QPair<int, int> emphasis;
    bool editable = false;
    QStringList log;
    QHash<QString, int> levels;
};

struct Fixture
{
    FakeVoice ru;
    FakeVoice en;
    FakeView view;
    QStringList errors;
    ReadingRun run{ru, en, view, [this](const std::function<void()>& tick) {
                       try {
                           tick();
                       } catch (const VemoError& error) {
                           errors << error.Message();
                       }
                   }};

    // The voice of the current fragment reports its end; the run goes on with the next.
    void EndCurrent()
    {
        const qsizetype before = ru.spoken.size() + en.spoken.size();
        run.EndStream();
        QTRY_VERIFY(!run.IsSpeaking() || ru.spoken.size() + en.spoken.size() > before);
    }
};

// Paragraphs of long Russian and English sentences, about characters long: few fragments
// per character, so that reading through is quick.
QString LongBilingualText(qsizetype characters)
{
    const QString paragraph = QStringLiteral("Длинное предложение на русском языке, ").repeated(20) +
                              QStringLiteral("a long sentence in English, ").repeated(25) +
                              QStringLiteral("и снова по-русски.\n");
    return paragraph.repeated(characters / paragraph.size() + 1).left(characters);
}

// The run's current folder is a fresh one, so that its fragment dump is its own.
struct InTemporaryFolder
{
    QTemporaryDir dir;
    QString before = QDir::currentPath();
    InTemporaryFolder() { QDir::setCurrent(dir.path()); }
    ~InTemporaryFolder() { QDir::setCurrent(before); }
};

// A region handed out as asked, counting what it gave and how often its start was asked.
class CountingSource : public ReadingSource
{
public:
    CountingSource(const QString& region, int base) : m_region(region), m_base(base) {}
    bool Read(qsizetype characters, QString& text) override
    {
        text += m_region.mid(given, characters);
        given = std::min(given + characters, m_region.size());
        return given < m_region.size();
    }
    int Base() override
    {
        ++baseAsked;
        return m_base;
    }
    qsizetype given = 0;
    int baseAsked = 0;

private:
    QString m_region;
    int m_base;
};

} // namespace

void TestReadingRun::readsEveryFragmentWithItsVoice_data()
{
    QTest::addColumn<QString>("region");
    QTest::addColumn<QStringList>("russian");
    QTest::addColumn<QStringList>("english");
    QTest::newRow("alternating") << QStringLiteral("Привет, world! Как дела?")
                                 << QStringList{QStringLiteral("Привет, "), QStringLiteral("Как дела?")}
                                 << QStringList{QStringLiteral("world! ")};
    QTest::newRow("one language") << QStringLiteral("Good day.") << QStringList{}
                                  << QStringList{QStringLiteral("Good day.")};
}

void TestReadingRun::readsEveryFragmentWithItsVoice()
{
    QFETCH(QString, region);
    QFETCH(QStringList, russian);
    QFETCH(QStringList, english);
    Fixture f;
    f.run.StartReading(region, 10);
    QVERIFY(f.run.IsSpeaking());
    QVERIFY(f.run.IsTicking());
    const int fragments = f.run.Fragments().Count();
    for (int i = 0; i < fragments; ++i) {
        QCOMPARE(f.run.FragmentIndex(), i);
        // A word is selected where it stands in the whole text: region start + fragment + word.
        f.run.Word(f.run.Fragments().FragmentLangs.at(i), 0, 2);
        QCOMPARE(f.view.selected.constLast().first, 10 + f.run.Fragments().FragmentOffsets.at(i).toInt());
        f.EndCurrent();
    }
    QVERIFY(!f.run.IsSpeaking());
    QCOMPARE(f.ru.spoken, russian);
    QCOMPARE(f.en.spoken, english);
    QCOMPARE(f.view.log.constLast(), QStringLiteral("End!"));
    QTRY_VERIFY(f.view.editable);
    QVERIFY(!f.run.IsTicking());
    QVERIFY(f.errors.isEmpty());
}

void TestReadingRun::pauseHoldsTheRunAndResumeGoesOn()
{
    Fixture f;
    f.run.StartReading(QStringLiteral("Привет, world!"), 0);
    f.run.PauseReading();
    QVERIFY(f.run.IsPaused());
    QVERIFY(!f.run.IsTicking());
    QCOMPARE(f.ru.pauses, 1);
    // An end of stream while paused does not move the run on.
    f.run.EndStream();
    QTest::qWait(250);
    QCOMPARE(f.run.FragmentIndex(), 0);
    f.run.PauseReading();
    QCOMPARE(f.ru.pauses, 1);
    f.run.ResumeReading();
    QVERIFY(!f.run.IsPaused());
    QCOMPARE(f.ru.resumes, 1);
    QTRY_COMPARE(f.run.FragmentIndex(), 1);
    QCOMPARE(f.en.spoken, QStringList{QStringLiteral("world!")});
}

void TestReadingRun::stopTakesTheEmphasisAway()
{
    Fixture f;
    f.run.StartReading(QStringLiteral("Как дела? Хорошо."), 0);
    f.run.Sentence(0, 9);
    QCOMPARE(f.view.emphasis, qMakePair(0, 9));
    f.view.levels[QStringLiteral("R")] = 40;
    f.run.StopReading();
    QVERIFY(!f.run.IsSpeaking());
    QVERIFY(!f.run.IsTicking());
    QCOMPARE(f.view.emphasis, qMakePair(0, 0));
    QCOMPARE(f.view.levels.value(QStringLiteral("R")), 0);
    QCOMPARE(f.ru.spoken.constLast(), QStringLiteral("<purge>"));
    // Events that arrive after the stop show nothing.
    const qsizetype selections = f.view.selected.size();
    f.run.Word(QStringLiteral("R"), 0, 3);
    QCOMPARE(f.view.selected.size(), selections);
}

void TestReadingRun::breakOffLeavesNothingToRead()
{
    Fixture f;
    f.run.StartReading(QStringLiteral("Привет, world!"), 0);
    f.run.PauseReading();
    f.run.BreakOff();
    QCOMPARE(f.ru.resumes, 1);
    QVERIFY(!f.run.IsSpeaking() && !f.run.IsPaused());
    QCOMPARE(f.run.Fragments().Count(), 0);
    QCOMPARE(f.run.FragmentIndex(), 0);
}

void TestReadingRun::aVoiceThatFailsEndsTheRunThroughTheGuard()
{
    Fixture f;
    f.en.failing = true;
    f.run.StartReading(QStringLiteral("Привет, world!"), 0);
    f.run.EndStream();
    QTRY_COMPARE(f.errors, QStringList{QStringLiteral("the voice cannot speak")});
    // The run ends with the text box editable, not stuck read-only until Stop.
    QVERIFY(!f.run.IsSpeaking());
    QVERIFY(!f.run.IsTicking());
    QVERIFY(f.view.editable);
}

void TestReadingRun::aLongTextIsReadWhileItIsCut_data()
{
    QTest::addColumn<qsizetype>("characters");
    QTest::addColumn<bool>("readToTheEnd"); // or stopped after the first fragment
    QTest::newRow("cut in one stretch") << qsizetype(20000) << true;
    QTest::newRow("cut while reading") << qsizetype(400000) << true;
    QTest::newRow("stopped while cutting") << qsizetype(4100000) << false;
}

// A long text: the first fragment is spoken before the whole text is cut, every fragment
// is read in order, and the dump is that of a cut in one go, also after Stop.
void TestReadingRun::aLongTextIsReadWhileItIsCut()
{
    QFETCH(qsizetype, characters);
    QFETCH(bool, readToTheEnd);
    InTemporaryFolder folder;
    const QString text = LongBilingualText(characters);
    FragmentLists expected;
    SplitPlainText(text, FragmentLimit, QStringLiteral("R"), expected, QStringLiteral("expected.txt"));
    Fixture f;
    f.run.StartReading(text, 0);
    QVERIFY(f.run.IsSpeaking());
    QCOMPARE(f.run.IsCutting(), characters > 100000);
    QCOMPARE(f.ru.spoken, QStringList{expected.FragmentTexts.at(0)});
    if (readToTheEnd) {
        QStringList heard = f.ru.spoken;
        while (f.run.IsSpeaking()) {
            const qsizetype before = f.ru.spoken.size() + f.en.spoken.size();
            f.run.EndStream();
            while (f.run.IsSpeaking() && f.ru.spoken.size() + f.en.spoken.size() == before)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (f.ru.spoken.size() + f.en.spoken.size() > before) {
                const FakeVoice& voice =
                    f.run.Fragments().FragmentLangs.at(f.run.FragmentIndex()) == u"E" ? f.en : f.ru;
                heard << voice.spoken.constLast();
            }
        }
        QCOMPARE(heard, expected.FragmentTexts);
        QCOMPARE(f.view.log.constLast(), QStringLiteral("End!"));
    } else {
        f.run.StopReading();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!f.run.IsCutting(), 20000);
    QCOMPARE(f.run.Fragments().FragmentOffsets, expected.FragmentOffsets);
    QFile dump(FragmentDumpFileName);
    QFile reference(QStringLiteral("expected.txt"));
    QVERIFY(dump.open(QIODevice::ReadOnly) && reference.open(QIODevice::ReadOnly));
    QVERIFY(dump.readAll() == reference.readAll());
    QVERIFY(f.errors.isEmpty());
}

// A run into files breaks off reading and fills the lists with its own fragments: a cut
// still under way must not add to them.
void TestReadingRun::aFileRunTakesTheListsFromAnUnfinishedCut()
{
    InTemporaryFolder folder;
    Fixture f;
    f.run.StartReading(LongBilingualText(4100000), 0);
    QVERIFY(f.run.IsCutting());
    f.run.StopReading();
    f.run.BreakOff();
    QVERIFY(!f.run.IsCutting());
    f.run.Hold();
    f.run.Fragments().FragmentTexts = {QStringLiteral("own")};
    QTest::qWait(100);
    QCOMPARE(f.run.Fragments().FragmentTexts, QStringList{QStringLiteral("own")});
    f.run.Release();
}

// The first fragment is spoken after a stretch of the text was taken, before the region's
// start was asked for; the first word shown asks for it once; Stop takes the rest of the
// text, so that the cut that goes on no longer depends on the source.
void TestReadingRun::theTextIsTakenAsTheCutNeedsIt()
{
    InTemporaryFolder folder;
    const QString text = LongBilingualText(4100000);
    FragmentLists expected;
    SplitPlainText(text, FragmentLimit, QStringLiteral("R"), expected, QStringLiteral("expected.txt"));
    Fixture f;
    auto owned = std::make_unique<CountingSource>(text, 777);
    CountingSource& source = *owned;
    f.run.StartReading(std::move(owned));
    QCOMPARE(f.ru.spoken, QStringList{expected.FragmentTexts.at(0)});
    QVERIFY2(source.given < 200000, qPrintable(QString::number(source.given)));
    QCOMPARE(source.baseAsked, 0);
    f.run.Word(QStringLiteral("R"), 3, 2);
    f.run.Sentence(0, 5);
    QCOMPARE(f.view.selected.constLast(), qMakePair(777 + 3, 2));
    QCOMPARE(f.view.emphasis, qMakePair(777, 5));
    QCOMPARE(source.baseAsked, 1);
    QVERIFY(f.run.IsCutting());
    f.run.StopReading();
    QCOMPARE(source.given, text.size());
    QCOMPARE(f.run.ReadingBase(), 777);
    QCOMPARE(source.baseAsked, 1);
    QTRY_VERIFY_WITH_TIMEOUT(!f.run.IsCutting(), 20000);
    QCOMPARE(f.run.Fragments().FragmentTexts, expected.FragmentTexts);
    QFile dump(FragmentDumpFileName);
    QFile reference(QStringLiteral("expected.txt"));
    QVERIFY(dump.open(QIODevice::ReadOnly) && reference.open(QIODevice::ReadOnly));
    QVERIFY(dump.readAll() == reference.readAll());
}

QTEST_GUILESS_MAIN(TestReadingRun)
#include "tst_readingrun.moc"

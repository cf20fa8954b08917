// Reading aloud as a listener meets it, measured from outside the program: the main window
// reads a bilingual text with the espeak-ng voices on the sound server while parec records
// the null sink's monitor. Prints the time from Read to the first sound on a
// 1,000,000-character text (or the count given as the first argument), and the skew between each word's sound
// and the moment its Word event reached the window (median and worst). Run it under tools/with-pulse.sh.
#include "../speech/BenchText.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "speech/SpeechVoice.h"
#include "tests/main/MainControls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Rate = 22050;
constexpr int SoundLevel = 600;
constexpr int SilenceLevel = 300;

// The monitor of the null sink, recorded with the time each block arrived.
class Recorder
{
public:
    Recorder(const QElapsedTimer& clock) : m_clock(clock)
    {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { take(); });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QStringLiteral("null.monitor"), QStringLiteral("--raw"),
                       QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=5")});
    }
    ~Recorder()
    {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    bool started() { return m_parec.waitForStarted(3000); }

    qint64 samples() const { return m_audio.size() / 2; }
    int at(qint64 i) const { return qAbs(int(reinterpret_cast<const qint16*>(m_audio.constData())[i])); }
    // When sample i was heard, on the benchmark's clock (ms): counted back from the arrival
    // of the block that brought it (blocks of a few ms; a late block makes the sound seem
    // later, never earlier, and a pause in the recording shifts nothing).
    double heardAtMs(qint64 i) const
    {
        const auto block = std::lower_bound(m_blocks.begin(), m_blocks.end(), i + 1,
                                            [](const Block& b, qint64 end) { return b.end < end; });
        if (block == m_blocks.end())
            return 1e18;
        return block->arrivedMs - (block->end - i) * 1000.0 / Rate;
    }

private:
    void take()
    {
        const double now = m_clock.nsecsElapsed() / 1e6;
        m_audio += m_parec.readAllStandardOutput();
        m_blocks.append({samples(), now});
    }

    struct Block
    {
        qint64 end = 0; // samples recorded up to the end of the block
        double arrivedMs = 0;
    };

    const QElapsedTimer& m_clock;
    QProcess m_parec;
    QByteArray m_audio;
    QList<Block> m_blocks;
};

QString LongText(const QString& paragraphs, qsizetype characters)
{
    QString text;
    while (text.size() < characters)
        text += paragraphs;
    return text.left(characters);
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("VEMO_SETTINGS_DIR", dir.path().toUtf8());
    QDir::setCurrent(dir.path());
    SetErrorDisplay(
        [](QWidget*, const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
    const QString paragraphs = PeerBenchmarkText();
    if (paragraphs.isEmpty()) {
        std::fprintf(stderr, "the bench text could not be read\n");
        return 1;
    }

    TFormMain form(SpeechEngineKind::Espeak);

    const MainControls ui(form);
    form.show();
    QElapsedTimer clock;
    clock.start();
    QList<double> wordTimes;
    for (SpeechVoice* voice : {ui.SpVoiceRu, ui.SpVoiceEng})
        QObject::connect(voice, &SpeechVoice::Word, &form,
                         [&](int, qint64, int, int) { wordTimes << clock.nsecsElapsed() / 1e6; });

    // Read to first sound, on the long text, a few times.
    const qsizetype characters = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    ui.MText->setPlainText(LongText(paragraphs, qMax<qsizetype>(characters, 1000)));
    QList<double> firstSound;
    for (int run = 0; run < 5; ++run) {
        Recorder recorder(clock);
        if (!recorder.started()) {
            std::fprintf(stderr, "parec did not start (run under tools/with-pulse.sh)\n");
            return 1;
        }
        QTest::qWait(300);
        ui.MText->moveCursor(QTextCursor::Start);
        const double read = clock.nsecsElapsed() / 1e6;
        ui.ButtonStart->click();
        QTest::qWait(1500);
        ui.ButtonStop->click();
        QTest::qWait(300);
        for (qint64 i = 0; i < recorder.samples(); ++i) {
            if (recorder.at(i) >= SoundLevel && recorder.heardAtMs(i) > read) {
                firstSound << recorder.heardAtMs(i) - read;
                break;
            }
        }
    }
    if (qEnvironmentVariableIsSet("VEMO_BENCH_VERBOSE")) {
        for (double ms : firstSound)
            std::printf("%.0f ", ms);
        std::printf("\n");
    }
    std::printf("Read to first sound, %lld characters: median %.0f ms, worst %.0f ms (%lld runs)\n",
                static_cast<long long>(ui.MText->document()->characterCount() - 1), Median(firstSound),
                firstSound.isEmpty() ? 0 : *std::max_element(firstSound.begin(), firstSound.end()),
                static_cast<long long>(firstSound.size()));

    // Word skew: a stretch of the bench text read aloud; every word onset after a pause (at
    // least 100 ms of silence, so that no silence inside a word is taken for one) is
    // matched with the nearest Word event.
    ui.MText->setPlainText(paragraphs.left(5000));
    wordTimes.clear();
    Recorder recorder(clock);
    recorder.started();
    QTest::qWait(300);
    ui.MText->moveCursor(QTextCursor::Start);
    ui.ButtonStart->click();
    QTest::qWait(30000);
    ui.ButtonStop->click();
    QTest::qWait(300);
    QList<double> skews;
    qint64 quiet = 0;
    for (qint64 i = 0; i < recorder.samples(); ++i) {
        if (recorder.at(i) < SilenceLevel) {
            ++quiet;
            continue;
        }
        if (recorder.at(i) >= SoundLevel && quiet >= Rate * 100 / 1000) {
            const double onset = recorder.heardAtMs(i);
            double best = 1e9;
            for (double word : wordTimes) {
                if (qAbs(word - onset) < qAbs(best))
                    best = word - onset;
            }
            if (qAbs(best) < 250)
                skews << best;
        }
        if (recorder.at(i) >= SoundLevel)
            quiet = 0;
    }
    if (qEnvironmentVariableIsSet("VEMO_BENCH_VERBOSE")) {
        QList<double> sorted = skews;
        std::sort(sorted.begin(), sorted.end());
        for (double s : sorted)
            std::printf("%.0f ", s);
        std::printf("\n");
    }
    QList<double> magnitudes;
    for (double s : skews)
        magnitudes << qAbs(s);
    std::printf(
        "Word event against its sound: %lld words after a silence, median skew %+.0f ms, median |skew| %.0f "
        "ms, worst %.0f ms (positive: the word is selected after it sounds)\n",
        static_cast<long long>(skews.size()), Median(skews), Median(magnitudes),
        magnitudes.isEmpty() ? 0 : *std::max_element(magnitudes.begin(), magnitudes.end()));
    return 0;
}

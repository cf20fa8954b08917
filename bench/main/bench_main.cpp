// Highlighting cost on a long text (1,000,000 characters, or the count given as the first
// argument), near its end against near its start; the time Open takes to put the text into
// the box from a UTF-8 file, the time from Read to the first Speak with the caret at the
// start and in the middle, and the longest the event loop is held up while reading goes on.
// Usage: bench_main [CHARACTERS]
#include "documents/PositionMap.h"
#include "main/DocumentCommands.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/MainReadingView.h"
#include "main/RichTextBox.h"
#include "tests/main/MainControls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QString LongText(qsizetype characters)
{
    QString text;
    text.reserve(characters);
    int line = 0;
    while (text.size() < characters - 64)
        text += QStringLiteral("Строка %1: hello world, привет мир.\n").arg(++line);
    return text;
}

double MedianMs(int runs, const std::function<void(int)>& step)
{
    QList<qint64> times;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        step(i);
        times << timer.nsecsElapsed();
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2) / 1e6;
}

void Compare(const char* what, int runs, const std::function<void(int p, int i)>& step, int start, int end)
{
    const double atStart = MedianMs(runs, [&](int i) { step(start, i); });
    const double atEnd = MedianMs(runs, [&](int i) { step(end, i); });
    std::printf("%-34s median of %d: near start %8.3f ms, near end %8.3f ms, end/start %.2f\n", what, runs,
                atStart, atEnd, atEnd / atStart);
}

QString ProgramText(const QTextDocument& document)
{
    return PositionMap(document.toRawText()).ProgramText();
}

// The longest time the event loop went without running a 1 ms timer, over the given time:
// how long the reading's work on later turns (cut, text taken from the box, first word)
// holds up everything else, the sound's playback included.
double LongestTurnMs(int overMs)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    probe.start();
    QEventLoop loop;
    QTimer::singleShot(overMs, &loop, &QEventLoop::quit);
    loop.exec();
    return longest / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QTemporaryDir dir;
    qputenv("VEMO_SETTINGS_DIR", dir.path().toUtf8());
    QDir::setCurrent(dir.path());
    SetErrorDisplay(
        [](QWidget*, const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });

    const qsizetype characters = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (characters < 1000) {
        std::fprintf(stderr, "usage: bench_main [CHARACTERS], at least 1000\n");
        return 2;
    }
    const QString path = dir.filePath(QStringLiteral("long.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(LongText(characters).toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    TFormMain form(SpeechEngineKind::Test);

    const MainControls ui(form);
    form.show();
    QElapsedTimer opening;
    opening.start();
    form.Documents().OpenFile(path);
    std::printf("Open of a %.1f MB UTF-8 text into the box: %.0f ms\n", QFile(path).size() / 1048576.0,
                opening.nsecsElapsed() / 1e6);
    MainReadingView view(form);
    const QString text = ProgramText(*ui.MText->document());
    std::printf("text: %lld characters, %lld counting CR LF as two\n",
                static_cast<long long>(ui.MText->toPlainText().size()), static_cast<long long>(text.size()));
    const int start = 100;
    const int end = static_cast<int>(text.size()) - 200;
    view.SelectRange(end, 5); // lays the whole document out once
    Compare(
        "select a word", 200, [&](int p, int i) { view.SelectRange(p + i % 20, 5); }, start, end);
    Compare(
        "set a sentence bold, then regular", 200,
        [&](int p, int i) { view.SetRangeStyle(p, 30, i % 2 == 0); }, start, end);

    std::printf("Without reading, the longest turn of the event loop in 1.5 s: %.1f ms\n",
                LongestTurnMs(1500));
    for (const bool middle : {false, true}) {
        QTextCursor cursor = ui.MText->textCursor();
        cursor.setPosition(middle ? ui.MText->document()->characterCount() / 2 : 0);
        ui.MText->setTextCursor(cursor);
        QElapsedTimer timer;
        timer.start();
        ui.ButtonStart->click();
        const double firstSpeak = timer.nsecsElapsed() / 1e6;
        const double longest = LongestTurnMs(1500);
        std::printf("Read to first Speak, caret %s: %.1f ms; then the longest turn of the event loop in "
                    "1.5 s of reading: %.1f ms\n",
                    middle ? "in the middle" : "at the start", firstSpeak, longest);
        ui.ButtonStop->click();
    }
    return 0;
}

// The window's To File and folder runs against the command line's on the same text: wall
// times, their ratio, and where the window's time per fragment goes (showing the fragment
// and the caption, and letting window messages through).
// Usage: bench_window_speed [CHARACTERS]   (default 20000; VEMO_SPEECH_ENGINE=test for
// the test engine; run under xvfb-run for a real X display, offscreen otherwise)
#include "folder/ConsoleFolderHost.h"
#include "folder/FolderRun.h"
#include "folder/FormFolderRunHost.h"
#include "main/FileRunSession.h"
#include "main/FormMain.h"
#include "soundfile/ConsoleToFileHost.h"
#include "soundfile/FormToFileHost.h"
#include "soundfile/SpeakTextToFile.h"
#include "soundfile/ToFileOptions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

QString BilingualText(int characters)
{
    QString text;
    for (int line = 1; text.size() < characters; ++line)
        text += QStringLiteral("Строка %1: hello world, это проверка скорости. The window speaks too.\n")
                    .arg(line);
    return text.left(characters);
}

// The window's host, timing what it does between fragments.
class TimedFormHost : public FormToFileHost
{
public:
    using FormToFileHost::FormToFileHost;

    void ShowFragment(const QString& logEntry) override
    {
        Timed(showNs, [&] { FormToFileHost::ShowFragment(logEntry); });
    }
    void ShowProgress(const QString& suffix) override
    {
        ++fragments;
        Timed(showNs, [&] { FormToFileHost::ShowProgress(suffix); });
    }
    void LetMessagesThrough() override
    {
        Timed(messagesNs, [&] { FormToFileHost::LetMessagesThrough(); });
    }

    qint64 showNs = 0;
    qint64 messagesNs = 0;
    int fragments = 0;

private:
    static void Timed(qint64& total, const std::function<void()>& step)
    {
        QElapsedTimer timer;
        timer.start();
        step();
        total += timer.nsecsElapsed();
    }
};

// Counts the paint events per widget class, to tell what the window redraws.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++counts[QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName()];
        return false;
    }
    QMap<QString, int> counts;
};

double Seconds(const std::function<void()>& step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return double(timer.nsecsElapsed()) / 1e9;
}

void Report(const char* what, double window, double console, const TimedFormHost& host)
{
    const int n = qMax(1, host.fragments);
    std::printf("%s: window %.2f s, command line %.2f s, ratio %.2f; window per fragment (%d): "
                "%.1f ms showing, %.1f ms letting messages through\n",
                what, window, console, window / console, host.fragments, double(host.showNs) / 1e6 / n,
                double(host.messagesNs) / 1e6 / n);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int characters = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const QString text = BilingualText(characters);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    TFormMain form;
    form.resize(1000, 700);
    form.show();
    std::printf("%d characters, platform %s\n", characters, qPrintable(QGuiApplication::platformName()));

    PaintCounter paints;
    if (qEnvironmentVariableIsSet("VEMO_BENCH_PAINTS"))
        app.installEventFilter(&paints);
    ToFileOptions options;
    options.chosenFileName = dir.filePath("window.wav");
    double windowToFile = 0;
    std::optional<TimedFormHost> window;
    {
        FileRunSession session = form.BeginFileRun(FileRunKind::ToFile);
        window.emplace(session);
        windowToFile = Seconds([&] {
            session.TakeWindow();
            SpeakTextToFile(*window, options, text);
        });
    }
    ConsoleToFileHost console(DefaultSpeechEngine());
    console.SetQuiet(true);
    options.chosenFileName = dir.filePath("console.wav");
    const double consoleToFile = Seconds([&] { SpeakTextToFile(console, options, text); });
    Report("To File", windowToFile, consoleToFile, *window);
    for (auto it = paints.counts.cbegin(); it != paints.counts.cend(); ++it)
        std::printf("  paints of %s: %d\n", qPrintable(it.key()), it.value());

    // The folder run in this process (as without workers), one book of the same text.
    for (const char* folder : {"window", "console"}) {
        QDir(dir.path()).mkdir(folder);
        QFile book(dir.filePath(QStringLiteral("%1/book.txt").arg(folder)));
        if (!book.open(QIODevice::WriteOnly) || book.write(text.toUtf8()) < 0)
            return 1;
    }
    FolderRunSettings settings;
    settings.folderName = dir.filePath("window");
    double windowRun = 0;
    std::optional<TimedFormHost> windowFolder;
    {
        FileRunSession session = form.BeginFileRun(FileRunKind::Folder);
        windowFolder.emplace(session);
        FormFolderRunHost formHost(session);
        windowRun = Seconds([&] {
            session.TakeWindow();
            FolderRun(*windowFolder, formHost, settings).Run();
        });
    }
    settings.folderName = dir.filePath("console");
    ConsoleFolderHost consoleHost(console.Progress());
    const double consoleRun = Seconds([&] { FolderRun(console, consoleHost, settings).Run(); });
    Report("folder run", windowRun, consoleRun, *windowFolder);
    return 0;
}

// Drags between two processes on a real X server (tools/with-xvfb.sh: Xvfb and openbox):
// the drag source is a program of its own (drag_source), pressed, moved and released by
// xdotool, so the data reaches the drop targets through the X server's drag protocol, with
// the forms Qt adds on the way, as a drag from a file manager or an editor would. Skipped
// only when the virtual screen cannot be had (Xvfb, openbox or xdotool not installed).
#include "TextNotation.h"
#include "main/ErrorGuard.h"
#include "main/FormMain.h"
#include "main/RichTextBox.h"
#include "tests/main/MainControls.h"
#include "texttools/UnitGetText.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

namespace {

// Counts the drops that reach a widget, taken or not.
class DropCounter : public QObject
{
public:
    int drops = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Drop)
            ++drops;
        return false;
    }
};

} // namespace

class TestRealDrag : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void realDrag_data();
    void realDrag();
    void dropWindowTitleBar();

private:
    // Drags payload (drag_source's arguments) from its window onto target's centre and waits
    // until the drop has reached target.
    void Drag(const QStringList& payload, QWidget* target);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    QStringList m_errors;
    MainControls MainUi() const { return MainControls(*m_main); }

    std::unique_ptr<TFormMain> m_main;
    std::unique_ptr<TFormGetText> m_dropWindow;
};

void TestRealDrag::initTestCase()
{
    if (qEnvironmentVariableIsSet("VEMO_NO_X_SERVER"))
        QSKIP(qPrintable(QStringLiteral("no virtual X screen: ") + qEnvironmentVariable("VEMO_NO_X_SERVER")));
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void TestRealDrag::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCurrent = QDir::currentPath();
    qputenv("VEMO_SETTINGS_DIR", m_dir->path().toUtf8());
    QDir::setCurrent(m_dir->path());
    m_errors.clear();
    SetErrorDisplay([this](QWidget*, const QString& message) { m_errors << message; });
    m_main = std::make_unique<TFormMain>(SpeechEngineKind::Test);
    m_dropWindow = std::make_unique<TFormGetText>();
}

void TestRealDrag::cleanup()
{
    m_dropWindow.reset();
    m_main.reset();
    SetErrorDisplay({});
    QDir::setCurrent(m_oldCurrent);
    qunsetenv("VEMO_SETTINGS_DIR");
    m_dir.reset();
}

void TestRealDrag::Drag(const QStringList& payload, QWidget* target)
{
    DropCounter counter;
    target->installEventFilter(&counter);
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    source.start(QStringLiteral(VEMO_DRAG_SOURCE), payload + QStringList{"--at", "40", "500"});
    QTRY_VERIFY_WITH_TIMEOUT(source.canReadLine(), 10000);
    const QList<QByteArray> ready = source.readLine().trimmed().split(' ');
    QCOMPARE(ready.size(), 3);
    QCOMPARE(ready.first(), "ready");
    const QPoint from(ready.at(1).toInt(), ready.at(2).toInt());
    const QPoint to = target->mapToGlobal(target->rect().center());
    auto arg = [](int value) { return QString::number(value); };
    // Press, move past the drag distance, then over the target in steps the target answers.
    QProcess pointer;
    pointer.start(QStringLiteral("xdotool"), {"mousemove",
                                              arg(from.x()),
                                              arg(from.y()),
                                              "mousedown",
                                              "1",
                                              "mousemove",
                                              arg(from.x() + 20),
                                              arg(from.y() + 20),
                                              "sleep",
                                              "0.3",
                                              "mousemove",
                                              arg(to.x() - 5),
                                              arg(to.y() - 5),
                                              "sleep",
                                              "0.3",
                                              "mousemove",
                                              arg(to.x()),
                                              arg(to.y()),
                                              "sleep",
                                              "0.5",
                                              "mouseup",
                                              "1"});
    // The event loop runs meanwhile: the target answers the drag protocol's messages.
    QTRY_VERIFY_WITH_TIMEOUT(source.canReadLine(), 20000);
    QCOMPARE(source.readLine().trimmed(), "dropped");
    QTRY_COMPARE_WITH_TIMEOUT(counter.drops, 1, 5000);
    QTRY_VERIFY(pointer.state() == QProcess::NotRunning);
    QCOMPARE(pointer.exitCode(), 0);
    source.kill();
    source.waitForFinished(5000);
}

void TestRealDrag::realDrag_data()
{
    QTest::addColumn<QString>("target");  // "text box" or "drop window"
    QTest::addColumn<QString>("payload"); // "file" or "text"
    QTest::addColumn<int>("action");      // the drop action the source is told
    QTest::newRow("a file onto the text box") << "text box"
                                              << "file" << int(Qt::CopyAction);
    QTest::newRow("text onto the text box") << "text box"
                                            << "text" << int(Qt::CopyAction);
    QTest::newRow("a file onto the drop window") << "drop window"
                                                 << "file" << int(Qt::IgnoreAction);
    QTest::newRow("text onto the drop window") << "drop window"
                                               << "text" << int(Qt::CopyAction);
}

// A file arrives as the file's text in the text box (opened as Open opens it) and is refused
// by the drop window; neither ever takes the file's address as text. Text arrives as itself.
void TestRealDrag::realDrag()
{
    QFETCH(QString, target);
    QFETCH(QString, payload);
    const QString book = m_dir->path() + QStringLiteral("/книга.txt");
    QFile file(book);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("Книга из файла, a book from a file.\n").toUtf8());
    file.close();
    const QString text = QStringLiteral("Перетащенный text");
    const QStringList arguments =
        payload == u"file" ? QStringList{"--uri", QUrl::fromLocalFile(book).toString(QUrl::FullyEncoded)}
                           : QStringList{"--text", text};

    QWidget* window = m_main.get();
    QWidget* dropTarget = MainUi().MText->viewport();
    if (target == u"drop window") {
        m_dropWindow->StartCollecting();
        m_dropWindow->PlaceOnScreenOf(nullptr);
        window = m_dropWindow.get();
        dropTarget = m_dropWindow.get();
    } else {
        MainUi().CBoxPlainText->setChecked(true);
        MainUi().MText->setPlainText(QStringLiteral("old text"));
        m_main->setGeometry(300, 60, 800, 600);
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    Drag(arguments, dropTarget);
    if (QTest::currentTestFailed())
        return;
    if (target == u"drop window") {
        QCOMPARE(m_dropWindow->DroppedText, payload == u"file" ? QString() : T("↵") + text + T("↵"));
        QVERIFY(m_dropWindow->isVisible());
    } else if (payload == u"file") {
        QTRY_COMPARE(MainUi().MText->toPlainText(), QStringLiteral("Книга из файла, a book from a file.\n"));
        QCOMPARE(m_main->CurrentFileName(), book);
    } else {
        QCOMPARE(MainUi().MText->toPlainText(), text);
        QVERIFY(m_main->CurrentFileName().isEmpty());
    }
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(u'\n')));
}

// Under a window manager the drop window opens in the screen's corner with its title bar
// every time, also when the bar was hidden as the window closed.
void TestRealDrag::dropWindowTitleBar()
{
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    for (int opening = 0; opening < 2; ++opening) {
        m_dropWindow->StartCollecting();
        m_dropWindow->PlaceOnScreenOf(nullptr);
        m_dropWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dropWindow.get()));
        QTRY_VERIFY(m_dropWindow->geometry().top() > m_dropWindow->frameGeometry().top());
        QTRY_COMPARE(m_dropWindow->frameGeometry().topLeft(), corner);
        QCOMPARE(m_dropWindow->size(), QSize(126, 84));
        m_dropWindow->HideTitleBar();
        QTRY_COMPARE(m_dropWindow->geometry().top(), m_dropWindow->frameGeometry().top());
        m_dropWindow->close();
    }
}

QTEST_MAIN(TestRealDrag)
#include "tst_realdrag.moc"

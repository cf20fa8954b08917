// A drag source in a process of its own, for the real-drag test: a small window that, once
// pressed and moved (by xdotool), drags one payload to wherever the pointer goes.
//   drag_source --uri URL [--at X Y]    offers only text/uri-list, as a file manager does
//   drag_source --text TEXT [--at X Y]  offers text/plain
// It prints "ready X Y" (the window's centre on the screen) when it can be pressed, and
// "dropped" when the drag has ended. It stays 10 s longer: the target fetches the data of a
// drop from the source after the drag has ended.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

class DragSource : public QWidget
{
public:
    explicit DragSource(std::unique_ptr<QMimeData> payload) : m_payload(std::move(payload))
    {
        setWindowTitle(QStringLiteral("drag source"));
        resize(120, 80);
    }

    void ReportWhenExposed()
    {
        if (windowHandle() && windowHandle()->isExposed()) {
            const QPoint centre = mapToGlobal(rect().center());
            std::printf("ready %d %d\n", centre.x(), centre.y());
            std::fflush(stdout);
            return;
        }
        QTimer::singleShot(50, this, [this] { ReportWhenExposed(); });
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { m_pressedAt = event->position().toPoint(); }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_payload || !(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(m_payload.release());
        drag->exec(Qt::CopyAction);
        std::printf("dropped\n");
        std::fflush(stdout);
        QTimer::singleShot(10000, qApp, &QCoreApplication::quit);
    }

private:
    std::unique_ptr<QMimeData> m_payload;
    QPoint m_pressedAt;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    auto payload = std::make_unique<QMimeData>();
    QPoint at(40, 500);
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == u"--uri")
            payload->setData(QStringLiteral("text/uri-list"),
                             (args.at(i + 1) + QStringLiteral("\r\n")).toUtf8());
        else if (args.at(i) == u"--text")
            payload->setText(args.at(i + 1));
        else if (args.at(i) == u"--at" && i + 2 < args.size())
            at = QPoint(args.at(i + 1).toInt(), args.at(i + 2).toInt());
    }
    if (payload->formats().isEmpty()) {
        std::fprintf(stderr, "usage: drag_source --uri URL | --text TEXT [--at X Y]\n");
        return 2;
    }
    DragSource window(std::move(payload));
    window.move(at);
    window.show();
    window.ReportWhenExposed();
    return QApplication::exec();
}

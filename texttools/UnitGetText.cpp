#include "texttools/UnitGetText.h"

#include "main/Accessible.h"
#include "texttools/CatPicture.h"
#include "texttools/DocumentText.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

TFormGetText::TFormGetText(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FormGetText"));
    setWindowTitle(QStringLiteral("Жду Текст!"));
    setFixedSize(126, 84);
    setAcceptDrops(true);

    Image = new CatPicture(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Image);
    connect(Image, &CatPicture::MouseMoved, this, &TFormGetText::ImageMouseMove);
    connect(Image, &CatPicture::Clicked, this, &TFormGetText::ImageClick);

    Src = new QPlainTextEdit(this);
    Src->setObjectName(QStringLiteral("Src"));
    Src->setLineWrapMode(QPlainTextEdit::NoWrap);
    Src->hide();
    connect(Src, &QPlainTextEdit::textChanged, this, &TFormGetText::SrcChange);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(3000);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TFormGetText::TimerTimer);
    Describe(Image, QStringLiteral("Говорящий кот: перетащите сюда текст"),
             QStringLiteral("Принимает перетащенный текст; щелчок по зелёной рожице в правом верхнем углу "
                            "закрывает окно и передаёт весь текст в главное окно"));
    Describe(Src, QStringLiteral("Принятый текст"), QStringLiteral("Последний перетащенный сюда текст"));
}

void TFormGetText::PlaceOnScreenOf(const QWidget* mainWindow)
{
    QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().topLeft());
}

// Every opening starts with the title bar, whatever the last one ended with.
void TFormGetText::StartCollecting()
{
    Src->clear();
    DroppedText.clear();
    Timer->stop();
    ShowTitleBar();
}

// A count still running when the window closes would take the bar away from the hidden
// window, and the next opening would start without it.
void TFormGetText::hideEvent(QHideEvent* event)
{
    Timer->stop();
    QDialog::hideEvent(event);
}

bool TFormGetText::IsOnCloseMark(int x, int y, int width, int height)
{
    // x > 109/138 * width and y < 2/11 * height, compared exactly in integers.
    return qint64(x) * 138 > qint64(width) * 109 && qint64(y) * 11 < qint64(height) * 2;
}

void TFormGetText::ImageMouseMove(const QPoint& position)
{
    LastMouseX = position.x();
    LastMouseY = position.y();
    ShowTitleBar();
    // A running count is not restarted: the bar goes 3 s after the movement that started it.
    if (!Timer->isActive())
        Timer->start();
}

void TFormGetText::TimerTimer()
{
    HideTitleBar();
    Timer->stop();
}

void TFormGetText::ImageClick(const QPoint& position)
{
    LastMouseX = position.x();
    LastMouseY = position.y();
    if (IsOnCloseMark(LastMouseX, LastMouseY, Image->width(), Image->height()))
        close();
}

void TFormGetText::SrcChange()
{
    if (Src->document()->isEmpty())
        return;
    DroppedText +=
        QStringLiteral("\r\n") + DocumentTextToCrLf(Src->document()->toRawText()) + QStringLiteral("\r\n");
    Src->clear();
}

bool TFormGetText::TitleBarShown() const
{
    return !windowFlags().testFlag(Qt::FramelessWindowHint);
}

void TFormGetText::ShowTitleBar()
{
    if (!TitleBarShown())
        SetTitleBar(true);
}

void TFormGetText::HideTitleBar()
{
    if (TitleBarShown())
        SetTitleBar(false);
}

// Changes the decoration in place: recreating the native window (setWindowFlags) would hide
// the dialog and end its modal showing. The frame keeps its top-left corner; the client
// size is fixed.
void TFormGetText::SetTitleBar(bool shown)
{
    const QPoint place = pos();
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::FramelessWindowHint, !shown);
    if (QWindow* window = windowHandle()) {
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
    move(place);
    update();
}

// Only a text/plain part counts: QMimeData::hasText() would also take a bare URL list. A
// drag of files (under X11 it offers their addresses as text/plain too) is not text.
bool TFormGetText::DropText(const QMimeData* data)
{
    if (!data)
        return false;
    const QList<QUrl> urls = data->urls();
    if (std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); }))
        return false;
    if (data->hasFormat(QStringLiteral("text/plain"))) {
        Src->setPlainText(data->text());
        return true;
    }
    for (const QString& format : data->formats()) {
        if (format.startsWith(QStringLiteral("text/plain;charset=utf-8"), Qt::CaseInsensitive)) {
            Src->setPlainText(QString::fromUtf8(data->data(format)));
            return true;
        }
    }
    return false;
}

void TFormGetText::dragEnterEvent(QDragEnterEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TFormGetText::dragMoveEvent(QDragMoveEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TFormGetText::dropEvent(QDropEvent* event)
{
    if (DropText(event->mimeData()))
        event->accept();
    else
        event->ignore();
}

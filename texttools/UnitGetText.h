#pragma once

#include <QDialog>

class CatPicture;
class QMimeData;
class QPlainTextEdit;
class QTimer;

// The small always-on-top window that collects text dragged onto it. Each drop of plain
// text is appended to DroppedText framed by line breaks (a drag of files is no text); the caller empties it
// with StartCollecting(), shows the window modally and takes DroppedText when it has closed. The title bar
// shows while the mouse moves over the picture and goes 3 s after the movement that started the count; a
// click on the close mark (top-right) closes the window.
class TFormGetText : public QDialog
{
    Q_OBJECT

public:
    explicit TFormGetText(QWidget* parent = nullptr);

    // Places the window at the top-left corner of the screen that shows mainWindow (the
    // primary screen when mainWindow is null).
    void PlaceOnScreenOf(const QWidget* mainWindow);
    // Empties Src and DroppedText and brings the title bar back before the window is shown.
    void StartCollecting();
    // Takes the plain text of a drop; false (nothing taken) when data holds no text/plain.
    bool DropText(const QMimeData* data);
    bool TitleBarShown() const;

    // True on the close mark: right of 109/138 of the width and above 2/11 of the height.
    static bool IsOnCloseMark(int x, int y, int width, int height);

    CatPicture* Image;
    QPlainTextEdit* Src;
    QTimer* Timer;
    QString DroppedText;
    int LastMouseX = 0;
    int LastMouseY = 0;

public slots:
    void ImageMouseMove(const QPoint& position);
    void ImageClick(const QPoint& position);
    void TimerTimer();
    void SrcChange();
    void ShowTitleBar();
    void HideTitleBar();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetTitleBar(bool shown);
};

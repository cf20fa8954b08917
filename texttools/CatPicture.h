#pragma once

#include <QWidget>

// The drop window's picture: a sitting cat with a green smiling face in the top-right corner
// (the close mark). Drawn for 139 x 90 and stretched over the whole widget. Reports mouse
// movements (also without a button held) and clicks.
class CatPicture : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 139;
    static constexpr int DesignHeight = 90;

    explicit CatPicture(QWidget* parent = nullptr);

    // Draws the picture stretched over target.
    static void Draw(QPainter& painter, const QRectF& target);

signals:
    void MouseMoved(const QPoint& position);
    void Clicked(const QPoint& position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static void DrawCat(QPainter& painter);
    static void DrawCatHead(QPainter& painter);
    static void DrawCloseMark(QPainter& painter);

    bool m_pressed = false;
};

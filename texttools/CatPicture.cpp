#include "texttools/CatPicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

CatPicture::CatPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image"));
    setMouseTracking(true);
}

void CatPicture::Draw(QPainter& painter, const QRectF& target)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / DesignWidth, target.height() / DesignHeight);
    painter.fillRect(QRectF(0, 0, DesignWidth, DesignHeight), QColor(255, 248, 225));
    DrawCat(painter);
    DrawCloseMark(painter);
    painter.restore();
}

void CatPicture::DrawCat(QPainter& painter)
{
    const QColor fur(150, 150, 160);
    painter.setPen(QPen(QColor(60, 60, 70), 1.2));
    // Tail curling round the body.
    QPainterPath tail(QPointF(72, 80));
    tail.cubicTo(QPointF(100, 84), QPointF(104, 58), QPointF(92, 50));
    painter.strokePath(tail, QPen(fur.darker(130), 6, Qt::SolidLine, Qt::RoundCap));
    // Body and front paws.
    painter.setBrush(fur);
    painter.drawEllipse(QRectF(34, 42, 44, 44));
    painter.setBrush(fur.lighter(115));
    painter.drawEllipse(QRectF(40, 78, 12, 8));
    painter.drawEllipse(QRectF(60, 78, 12, 8));
    // White chest.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 240, 240));
    painter.drawEllipse(QRectF(46, 52, 20, 24));
    DrawCatHead(painter);
}

void CatPicture::DrawCatHead(QPainter& painter)
{
    const QColor fur(150, 150, 160);
    painter.setPen(QPen(QColor(60, 60, 70), 1.2));
    painter.setBrush(fur);
    const QPointF leftEar[] = {{36, 26}, {38, 6}, {50, 18}};
    const QPointF rightEar[] = {{76, 26}, {74, 6}, {62, 18}};
    painter.drawPolygon(leftEar, 3);
    painter.drawPolygon(rightEar, 3);
    painter.drawEllipse(QRectF(34, 14, 44, 36));
    // Eyes with slit pupils, a pink nose, a mouth and whiskers.
    painter.setBrush(QColor(170, 210, 80));
    painter.drawEllipse(QRectF(43, 24, 9, 8));
    painter.drawEllipse(QRectF(60, 24, 9, 8));
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(46.5, 24.5, 2, 7));
    painter.drawEllipse(QRectF(63.5, 24.5, 2, 7));
    painter.setBrush(QColor(235, 130, 150));
    const QPointF nose[] = {{53, 35}, {59, 35}, {56, 38}};
    painter.drawPolygon(nose, 3);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(50, 36, 6, 5), 180 * 16, 180 * 16);
    painter.drawArc(QRectF(56, 36, 6, 5), 180 * 16, 180 * 16);
    for (int side : {-1, 1}) {
        for (int k = 0; k < 3; ++k) {
            const qreal y = 36 + 2.5 * k;
            painter.drawLine(QPointF(56 + side * 7, y), QPointF(56 + side * 24, y - 3 + 3 * k));
        }
    }
}

// The close mark: a green smiling face well inside the top-right corner zone that closes the
// window (to the right of 109/138 of the width, above 2/11 of the height).
void CatPicture::DrawCloseMark(QPainter& painter)
{
    const QRectF face(119, 2, 13, 12);
    painter.setPen(QPen(QColor(0, 90, 0), 1));
    painter.setBrush(QColor(40, 190, 60));
    painter.drawEllipse(face);
    painter.setBrush(QColor(0, 60, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(122.5, 5, 2, 2));
    painter.drawEllipse(QRectF(126.5, 5, 2, 2));
    painter.setPen(QPen(QColor(0, 60, 0), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(122, 6, 7, 5), 200 * 16, 140 * 16);
}

void CatPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter, rect());
}

void CatPicture::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMoved(event->position().toPoint());
}

void CatPicture::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void CatPicture::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit Clicked(event->position().toPoint());
}

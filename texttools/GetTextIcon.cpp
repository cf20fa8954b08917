#include "texttools/GetTextIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap DrawSheet(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 16.0, side / 16.0);
    const QPointF sheet[] = {{3, 1}, {10, 1}, {13.5, 4.5}, {13.5, 15}, {3, 15}};
    painter.setPen(QPen(QColor(70, 70, 90), 0.8));
    painter.setBrush(Qt::white);
    painter.drawPolygon(sheet, 5);
    const QPointF fold[] = {{10, 1}, {10, 4.5}, {13.5, 4.5}};
    painter.setBrush(QColor(200, 205, 220));
    painter.drawPolygon(fold, 3);
    painter.setPen(QPen(QColor(40, 80, 170), 0.9));
    for (int line = 0; line < 4; ++line) {
        const qreal y = 6.5 + 2.2 * line;
        painter.drawLine(QPointF(5, y), QPointF(line == 3 ? 9 : 11.5, y));
    }
    return pixmap;
}

} // namespace

QIcon GetTextIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48})
        icon.addPixmap(DrawSheet(side));
    return icon;
}

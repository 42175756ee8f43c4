#include "gui/display/Pictures.h"

#include <QPainter>

namespace {

QPixmap blank()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawComputer(QPainter &p, int x, int y, const QColor &screen)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(x, y, 12, 10); // monitor
    p.setBrush(screen);
    p.drawRect(x + 2, y + 2, 8, 6);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(x + 4, y + 11, 4, 1); // neck
    p.drawRect(x, y + 13, 12, 2);    // base
}

} // namespace

namespace Pictures {

QPixmap battery()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(2, 9, 28, 17); // body
    p.setBrush(Qt::black);
    p.drawRect(6, 5, 5, 3); // terminals
    p.drawRect(21, 5, 5, 3);
    p.drawLine(6, 17, 11, 17);  // minus
    p.drawLine(21, 17, 26, 17); // plus
    p.drawLine(23, 14, 23, 20);
    return pixmap;
}

QPixmap connection(bool live)
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    const QColor screen = live ? QColor(0, 255, 255) : QColor(128, 128, 128);
    p.setPen(QPen(live ? QColor(0, 0, 160) : QColor(96, 96, 96), 2));
    p.drawLine(7, 17, 7, 29);
    p.drawLine(7, 29, 25, 29);
    p.drawLine(25, 29, 25, 27);
    drawComputer(p, 1, 2, screen);
    drawComputer(p, 19, 12, screen);
    return pixmap;
}

} // namespace Pictures

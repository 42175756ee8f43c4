#include "gui/widgets/ButtonGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include <functional>

namespace {

QIcon drawGlyph(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    return QIcon(pixmap);
}

} // namespace

namespace ButtonGlyphs {

QIcon save()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(QColor(0, 0, 96));
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5); // label
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(4, 9, 7, 5); // shutter
    });
}

QIcon remove()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
    });
}

QIcon open()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 12, 9);
        p.drawRect(1, 2, 5, 2);
        QPainterPath flap;
        flap.moveTo(3, 7);
        flap.lineTo(15, 7);
        flap.lineTo(13, 13);
        flap.lineTo(1, 13);
        flap.closeSubpath();
        p.setBrush(QColor(250, 220, 120));
        p.drawPath(flap);
    });
}

QIcon print()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5); // paper in
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(1, 6, 13, 6); // body
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 5); // paper out
    });
}

QIcon close()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(QColor(90, 60, 20));
        p.setBrush(QColor(170, 120, 60));
        p.drawRect(2, 1, 8, 14); // a door
        p.setPen(QPen(QColor(0, 120, 0), 2));
        p.drawLine(8, 8, 14, 8); // and the way out
        p.drawLine(11, 5, 14, 8);
        p.drawLine(11, 11, 14, 8);
    });
}

} // namespace ButtonGlyphs

QToolButton *pictureButton(QWidget *parent, const QIcon &glyph, const QString &hint, const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setIcon(glyph);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    return button;
}

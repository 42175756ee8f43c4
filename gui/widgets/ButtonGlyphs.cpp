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

const QColor GlyphInk(0, 0, 96);

// A triangle pointing left (to the previous); with `bar`, a bar before it (to
// the first). `mirrored` points it right (to the next, to the last).
QIcon pointer(bool bar, bool mirrored)
{
    return drawGlyph([=](QPainter &p) {
        if (mirrored) {
            p.translate(15, 0);
            p.scale(-1, 1);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(GlyphInk);
        const int tip = bar ? 6 : 4;
        if (bar)
            p.drawRect(3, 3, 2, 10);
        p.drawPolygon(QPolygon({QPoint(tip, 8), QPoint(tip + 6, 2), QPoint(tip + 6, 14)}));
    });
}

// A window: a frame with a thick title bar.
void window(QPainter &p, const QRect &frame)
{
    p.setPen(GlyphInk);
    p.setBrush(Qt::white);
    p.drawRect(frame);
    p.fillRect(frame.left(), frame.top(), frame.width() + 1, 3, GlyphInk);
}

} // namespace

namespace ButtonGlyphs {

QIcon first()
{
    return pointer(true, false);
}

QIcon previous()
{
    return pointer(false, false);
}

QIcon next()
{
    return pointer(false, true);
}

QIcon last()
{
    return pointer(true, true);
}

QIcon ok()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(QPen(QColor(0, 128, 0), 3));
        p.drawLine(2, 8, 6, 12);
        p.drawLine(6, 12, 13, 3);
    });
}

QIcon enlarge()
{
    return drawGlyph([](QPainter &p) { window(p, QRect(1, 2, 13, 11)); });
}

QIcon restore()
{
    return drawGlyph([](QPainter &p) {
        window(p, QRect(5, 1, 9, 8));
        window(p, QRect(1, 6, 9, 8));
    });
}

QIcon save()
{
    return drawGlyph([](QPainter &p) {
        p.setPen(GlyphInk);
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

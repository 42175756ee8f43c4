#include "gui/widgets/ProgramBadge.h"

#include <QIconEngine>
#include <QPainter>

// The shapes of packaging/mx840.svg, on its 64 × 64 grid.
void paintProgramBadge(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(area.topLeft());
    painter.scale(area.width() / 64, area.height() / 64);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x3b, 0x3f, 0x46));
    painter.drawRoundedRect(QRectF(4, 8, 56, 48), 6, 6); // the case
    painter.setBrush(QColor(0xc6, 0xd0, 0xbc));
    painter.drawRoundedRect(QRectF(10, 14, 44, 22), 2, 2); // the display
    QPen ink(QColor(0x16, 0x1a, 0x16), 3);
    painter.setPen(ink);
    for (const double x : {16.0, 28.0, 40.0})
        painter.drawLine(QPointF(x, 32), QPointF(x + 6, 18)); // its digits
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xe0, 0xe0, 0xe0));
    painter.drawEllipse(QPointF(32, 46), 6, 6); // the dial
    ink.setWidthF(2);
    painter.setPen(ink);
    painter.drawLine(QPointF(32, 46), QPointF(37, 42)); // its needle
    painter.restore();
}

void ProgramBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintProgramBadge(painter, rect());
}

namespace {

class BadgeIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        paintProgramBadge(*painter, rect);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, picture.rect(), mode, state);
        return picture;
    }
    QIconEngine *clone() const override { return new BadgeIconEngine; }
    // The sizes a window manager is offered (X11's _NET_WM_ICON).
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}};
    }
};

} // namespace

QIcon ProgramIcon()
{
    return QIcon(new BadgeIconEngine);
}

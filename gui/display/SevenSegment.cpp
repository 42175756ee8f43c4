#include "gui/display/SevenSegment.h"

#include "core/display/SegmentDecoder.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

// The segments lean right like a real LCD's: the top is shifted by this part
// of the height.
constexpr qreal kSlant = 0.07;

enum Segment : quint8 {
    SegF = 0x01,
    SegE = 0x02,
    SegG = 0x04,
    SegD = 0x08,
    SegA = 0x10,
    SegC = 0x20,
    SegB = 0x40,
};

// A segment between two points along one axis, pointed at both ends.
QPolygonF horizontalSegment(qreal x0, qreal x1, qreal y, qreal t)
{
    const qreal h = t / 2;
    return QPolygonF({{x0, y}, {x0 + h, y - h}, {x1 - h, y - h}, {x1, y}, {x1 - h, y + h}, {x0 + h, y + h}});
}

QPolygonF verticalSegment(qreal x, qreal y0, qreal y1, qreal t)
{
    const qreal h = t / 2;
    return QPolygonF({{x, y0}, {x + h, y0 + h}, {x + h, y1 - h}, {x, y1}, {x - h, y1 - h}, {x - h, y0 + h}});
}

// Leans the point right by its height above the box's bottom.
QPointF leaned(QPointF p, const QRectF &box)
{
    return {p.x() + (box.bottom() - p.y()) * kSlant, p.y()};
}

} // namespace

namespace SevenSegment {

quint8 segmentsOf(const QString &caption)
{
    if (caption.size() != 1)
        return 0;
    const char c = caption.front().toLatin1();
    return SegmentCodeOf(c == '@' ? 'L' : c, false);
}

void drawDigit(QPainter &painter, const QRectF &box, quint8 segments, const QColor &ink)
{
    if (segments == 0)
        return;
    const qreal slantWidth = box.height() * kSlant;
    const qreal w = box.width() - slantWidth;
    const qreal h = box.height();
    const qreal t = qMax<qreal>(2.0, w * 0.2); // segment thickness
    const qreal gap = qMax<qreal>(0.75, t * 0.12);
    const qreal left = box.left() + t / 2;
    const qreal right = box.left() + w - t / 2;
    const qreal top = box.top() + t / 2;
    const qreal middle = box.top() + h / 2;
    const qreal bottom = box.bottom() - t / 2;

    struct Piece
    {
        quint8 bit;
        QPolygonF shape;
    };
    const Piece pieces[] = {
        {SegA, horizontalSegment(left + gap, right - gap, top, t)},
        {SegG, horizontalSegment(left + gap, right - gap, middle, t)},
        {SegD, horizontalSegment(left + gap, right - gap, bottom, t)},
        {SegF, verticalSegment(left, top + gap, middle - gap, t)},
        {SegB, verticalSegment(right, top + gap, middle - gap, t)},
        {SegE, verticalSegment(left, middle + gap, bottom - gap, t)},
        {SegC, verticalSegment(right, middle + gap, bottom - gap, t)},
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    for (const Piece &piece : pieces) {
        if (!(segments & piece.bit))
            continue;
        QPolygonF shape;
        for (const QPointF &p : piece.shape)
            shape << leaned(p, box);
        painter.drawPolygon(shape);
    }
    painter.restore();
}

void drawPoint(QPainter &painter, QPointF bottomLeft, qreal size, const QColor &ink)
{
    const QRectF box(bottomLeft.x(), bottomLeft.y() - size, size, size);
    QPolygonF square;
    for (const QPointF &p : {box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()})
        square << leaned(p, box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPolygon(square);
    painter.restore();
}

} // namespace SevenSegment

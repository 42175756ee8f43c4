#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// Draws LCD characters from segment bits, the way the meter's display lights
// them: "0".."9", "@" (the letter L of the overload display), "." and ":".
namespace SevenSegment {

// The segment bits of a character, in the meter's segment code layout
// (0x10 a, 0x40 b, 0x20 c, 0x08 d, 0x02 e, 0x01 f, 0x04 g); 0 when unlit.
quint8 segmentsOf(const QString &caption);

// One digit filling `box` (its cell, slant included).
void drawDigit(QPainter &painter, const QRectF &box, quint8 segments, const QColor &ink);

// A decimal point: a slanted square whose bottom-left corner is at `bottomLeft`.
void drawPoint(QPainter &painter, QPointF bottomLeft, qreal size, const QColor &ink);

} // namespace SevenSegment

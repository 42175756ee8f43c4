#pragma once

#include "core/display/DialGeometry.h"

#include <QLine>
#include <QPoint>
#include <QSize>

// The dial's needle: where it is, and the two strokes that move it.
class Dial
{
public:
    static constexpr QSize PanelSize{369, 157};

    Dial();

    // Erase the old needle (a line in the panel colour), then draw the new one.
    struct Stroke
    {
        QLine erase;
        QLine draw;
    };
    Stroke KDrun(int value);

    const DialGeometry &geometry() const { return dialGeometry; }
    // The value last given to KDrun.
    int needleValue() const { return lastValue; }
    // Where the needle was last drawn: the next stroke erases it there.
    QPoint LastNeedleBase;
    QPoint LastNeedleTip;

private:
    DialGeometry dialGeometry;
    int lastValue = 0;
};

#pragma once

#include <QLine>
#include <QList>
#include <QPoint>
#include <QString>

// Where the analog dial's scale and needle are drawn, computed from the size of
// the dial panel. All points are on the dial canvas. The arithmetic keeps the
// dial's quantities in 32-bit floats and rounds to the nearest pixel, ties to
// even, so that every point lands where the original drawing put it.
class DialGeometry
{
public:
    static constexpr int MarginX = 20;
    static constexpr int MarginY = 30;
    static constexpr int ScaleSteps = 100; // numbered scale: 0..100
    static constexpr int NeedleSteps = 1000;

    DialGeometry(int panelWidth, int panelHeight);

    struct ScaleNumber
    {
        QString text;
        QPoint topLeft;
    };
    struct Needle
    {
        QPoint tip;
        QPoint base;
    };

    // The eleven dots at 0, 10, ..., 100 (each the top-left of a 2 x 2 box).
    QList<QPoint> scaleDots() const;
    // The numbers "0".."100" with the top-left corner of each text.
    QList<ScaleNumber> scaleNumbers() const;
    // The 10 * dialScale + 1 points of the thick arc.
    QList<QPoint> arcPoints(int dialScale) const;
    // The needle for a value: 0 the left end of the scale, 1000 the right end.
    Needle needle(int value) const;

    float chord() const { return W; }
    float height() const { return H; }
    float radius() const { return R; }
    float sweepDegrees() const { return A; }
    float startDegrees() const { return S; }

private:
    float angle(double position, int steps) const;
    QPoint pointBeyondRadius(float theta, int k) const;

    float W;
    float H;
    float R;
    float A;
    float S;
};

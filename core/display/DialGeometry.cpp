#include "core/display/DialGeometry.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

// Intermediate results are kept at extended precision, as the original's
// arithmetic did; only the named quantities are stored as 32-bit floats.
using Extended = long double;

constexpr Extended kPi = std::numbers::pi_v<long double>;

// Nearest integer, ties to even.
int nearest(Extended x)
{
    return int(std::nearbyint(x));
}

struct NumberLabel
{
    const char *text;
    int dx;
    int dy;
};

constexpr std::array<NumberLabel, 11> kNumberLabels{{
    {"0", 2, -7},
    {"10", -8, -6},
    {"20", -10, -5},
    {"30", -10, -4},
    {"40", -5, -4},
    {"50", -3, -3},
    {"60", -8, -5},
    {"70", -8, -5},
    {"80", -9, -4},
    {"90", -12, -9},
    {"100", -17, -11},
}};

} // namespace

DialGeometry::DialGeometry(int panelWidth, int panelHeight)
    : W(float(panelWidth - 2 * MarginX)), H(float(panelHeight - 2 * MarginY))
{
    R = float((Extended(4) * H * H + Extended(W) * W) / (Extended(8) * H));
    // The sweep is converted with the literal 3.1415, not pi.
    A = float(2 * std::atan((Extended(W) / 2) / (Extended(R) - H)) * 180 / Extended(3.1415));
    S = float((180 - Extended(A)) / 2);
}

float DialGeometry::angle(double position, int steps) const
{
    return float((Extended(A) / steps * position + S) * kPi / 180);
}

// The point at radius R + k: each term is stored as a float before it is
// subtracted from the centre.
QPoint DialGeometry::pointBeyondRadius(float theta, int k) const
{
    const Extended c = std::cos(Extended(theta));
    const Extended s = std::sin(Extended(theta));
    const float dx = float(R * c + k * c);
    const float dy = float(R * s + k * s);
    return {nearest(Extended(W) / 2 + MarginX - dx), nearest(Extended(R) + MarginY - dy)};
}

QList<QPoint> DialGeometry::scaleDots() const
{
    QList<QPoint> dots;
    for (int i = 0; i <= ScaleSteps; i += 10)
        dots.append(pointBeyondRadius(angle(i, ScaleSteps), 6));
    return dots;
}

QList<DialGeometry::ScaleNumber> DialGeometry::scaleNumbers() const
{
    QList<ScaleNumber> numbers;
    for (int n = 0; n < int(kNumberLabels.size()); ++n) {
        const NumberLabel &label = kNumberLabels[n];
        const QPoint at = pointBeyondRadius(angle(10 * n, ScaleSteps), 18);
        numbers.append({QString::fromLatin1(label.text), at + QPoint(label.dx, label.dy)});
    }
    return numbers;
}

QList<QPoint> DialGeometry::arcPoints(int dialScale) const
{
    const int steps = 10 * dialScale;
    QList<QPoint> points;
    points.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i)
        points.append(pointBeyondRadius(angle(i, steps), 3));
    return points;
}

DialGeometry::Needle DialGeometry::needle(int value) const
{
    const float theta = angle(value, NeedleSteps);
    const Extended c = std::cos(Extended(theta));
    const Extended s = std::sin(Extended(theta));
    const QPoint tip(nearest(Extended(W) / 2 - R * c) + MarginX, nearest(Extended(R) - R * s + 4) + MarginY);
    // The base lies on the line through the centre, 280 pixels below the lower margin.
    const float belowCentre = float(Extended(R) - H - 280);
    const QPoint base(nearest(Extended(W) / 2 - c * belowCentre / s) + MarginX, MarginY + nearest(280 + Extended(H)));
    return {tip, base};
}

#include "TrendChart.h"

#include <cmath>

TrendChart::TrendChart()
{
    Clear();
}

void TrendChart::appendValue(double value)
{
    for (std::vector<QPointF> &points : seriesPoints)
        points.emplace_back(double(points.size()), value);
}

void TrendChart::Clear()
{
    // The placeholder is a sample point at X = 0: a random start of 0..999
    // plus a random step of -125..124, as a magnitude.
    const int start = int(random.bounded(1000));
    const int step = int(random.bounded(250)) - 125;
    const double placeholder = std::abs(start + step);
    for (std::vector<QPointF> &points : seriesPoints) {
        points.clear();
        points.emplace_back(0.0, placeholder);
    }
}

void TrendChart::setLeftAxisRange(int minimum, int maximum)
{
    axisMinimum = minimum;
    axisMaximum = maximum;
}

#pragma once

#include <QPointF>
#include <QRandomGenerator>

#include <array>
#include <vector>

// The data of the trend chart: two series that always receive the same values
// (0: the area series Series2, 1: the line series Series1) and the range of the
// left axis. The chart view draws from it.
class TrendChart
{
public:
    TrendChart();

    const std::vector<QPointF> &series(int index) const { return seriesPoints[index]; }
    // Appends the value to both series; its X is the number of points before it.
    void appendValue(double value);
    // Empties both series and puts one placeholder point in each.
    void Clear();

    int leftAxisMinimum() const { return axisMinimum; }
    int leftAxisMaximum() const { return axisMaximum; }
    void setLeftAxisRange(int minimum, int maximum);

private:
    std::array<std::vector<QPointF>, 2> seriesPoints;
    int axisMinimum = 0;
    int axisMaximum = 10000;
    QRandomGenerator random{840};
};

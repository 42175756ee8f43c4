#pragma once

#include "core/common/BlockList.h"

#include <QPointF>
#include <QRandomGenerator>
#include <QString>

#include <array>
#include <deque>
#include <vector>

struct ModuleState;

// The trend chart's data and rules: two series that receive the same values
// (0: the area series Series2, 1: the line series Series1), exactly one of
// them visible; paging; the page buttons' states; the left axis. The chart
// view draws from it.
class TrendChart
{
public:
    enum Series { Area = 0, Line = 1 };

    explicit TrendChart(ModuleState &state);

    // Moves on with every change, so that a view redraws only what changed.
    quint64 revision() const { return changes; }

    // Points: X is the point's position in its series, Y its value.
    qsizetype pointCount(int series) const { return qsizetype(values[series].size()); }
    double value(int series, qsizetype x) const { return values[series][size_t(x)]; }
    void append(int series, double value);
    // Clear: both series emptied and given one placeholder point at X 0.
    void clear();

    // Which series is shown (ShowSeries makes it the only active one).
    int visibleSeries() const { return shown; }
    void ShowSeries(int index)
    {
        shown = index;
        ++changes;
    }
    bool fill() const { return fillChecked; }
    void setFill(bool checked);

    // Paging
    int pointsPerPage() const { return perPage; }
    // Refuses a negative number with the chart's message; true when taken.
    bool setPointsPerPage(int points, QString *refusal = nullptr);
    // The points-per-page edit changed: the refusal to show, or nothing.
    QString pointsPerPageEdited(const QString &text);
    int pageCount() const;
    int currentPage() const { return page; }
    void setCurrentPage(int value);
    QString pageCaption = QStringLiteral("1");
    struct Buttons
    {
        bool first = true, previous = true, next = true, last = true;
    } buttons;
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    // The record step's jump to the newest page while following.
    void followLastPage();

    // The points of the current page of the visible series: positions
    // [first, first + count).
    struct PageRange
    {
        qsizetype first = 0;
        qsizetype count = 0;
        double axisMinimum = 0; // bottom axis
        double axisMaximum = 0;
    };
    PageRange pageRange() const;
    // The current page's points of the visible series, at most two per pixel
    // column: a column's lowest and highest value, in order, so peaks survive.
    // The area series, filled from zero, needs only each column's highest.
    std::vector<QPointF> pagePoints(int columns) const;

    int leftAxisMinimum() const { return axisMinimum; }
    int leftAxisMaximum() const { return axisMaximum; }
    void setLeftAxisRange(int minimum, int maximum);

private:
    void showCurrentPage()
    {
        pageCaption = QString::number(page);
        ++changes;
    }

    ModuleState &state;
    // The lowest and highest point of each block of points, so that a page of
    // millions is drawn without reading every point.
    static constexpr qsizetype BlockSize = 1024;
    struct Extremes
    {
        qsizetype lowAt = 0;
        qsizetype highAt = 0;
    };
    Extremes extremes(int series, qsizetype begin, qsizetype end) const;
    void merge(Extremes &into, int series, qsizetype at) const;

    // Chunked storage: appending never moves the points already stored.
    std::array<BlockList<double>, 2> values;
    std::array<std::deque<Extremes>, 2> blocks;
    int shown = Area;
    bool fillChecked = true;
    int perPage = 100;
    int page = 1;
    int axisMinimum = 0;
    int axisMaximum = 10000;
    QRandomGenerator random{840};
    quint64 changes = 1;
};

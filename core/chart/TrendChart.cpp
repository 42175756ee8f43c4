#include "core/chart/TrendChart.h"

#include "core/common/Messages.h"
#include "core/common/ModuleState.h"

#include <algorithm>
#include <cmath>

TrendChart::TrendChart(ModuleState &moduleState) : state(moduleState)
{
    clear();
}

void TrendChart::clear()
{
    // The placeholder is a sample point at X 0: a random start of 0..999 plus
    // a random step of -125..124, as a magnitude.
    const int start = int(random.bounded(1000));
    const int step = int(random.bounded(250)) - 125;
    const double placeholder = std::abs(start + step);
    for (int series : {Area, Line}) {
        values[series].clear();
        blocks[series].clear();
        append(series, placeholder);
    }
    ShowSeries(Area);
    ShowSeries(fillChecked ? Area : Line);
}

void TrendChart::append(int series, double value)
{
    BlockList<double> &points = values[series];
    const qsizetype at = qsizetype(points.size());
    points.push_back(value);
    if (at % BlockSize == 0)
        blocks[series].push_back({at, at});
    else
        merge(blocks[series].back(), series, at);
    ++changes;
}

void TrendChart::merge(Extremes &into, int series, qsizetype at) const
{
    const BlockList<double> &points = values[series];
    if (points[size_t(at)] < points[size_t(into.lowAt)])
        into.lowAt = at;
    if (points[size_t(at)] > points[size_t(into.highAt)])
        into.highAt = at;
}

// The lowest and highest points of [begin, end): whole blocks from their
// summaries, the ragged ends point by point.
TrendChart::Extremes TrendChart::extremes(int series, qsizetype begin, qsizetype end) const
{
    Extremes found{begin, begin};
    qsizetype at = begin + 1;
    while (at < end) {
        if (at % BlockSize == 0 && at + BlockSize <= end) {
            const Extremes &block = blocks[series][size_t(at / BlockSize)];
            merge(found, series, block.lowAt);
            merge(found, series, block.highAt);
            at += BlockSize;
        } else {
            merge(found, series, at);
            ++at;
        }
    }
    return found;
}

void TrendChart::setFill(bool checked)
{
    fillChecked = checked;
    ShowSeries(checked ? Area : Line);
}

QString TrendChart::pointsPerPageEdited(const QString &text)
{
    bool ok = false;
    const int points = text.toInt(&ok, 10);
    QString refusal;
    if (!ok)
        refusal = Messages::NotAnInteger(text);
    else
        setPointsPerPage(points, &refusal);
    return refusal;
}

bool TrendChart::setPointsPerPage(int points, QString *refusal)
{
    if (points < 0) {
        if (refusal)
            *refusal = QStringLiteral("MaxPointsPerPage must be >= 0");
        return false;
    }
    perPage = points;
    if (page > pageCount())
        page = pageCount();
    ++changes;
    return true;
}

int TrendChart::pageCount() const
{
    const qsizetype points = pointCount(shown);
    if (perPage == 0 || points == 0)
        return 1;
    return int((points + perPage - 1) / perPage);
}

void TrendChart::setCurrentPage(int value)
{
    page = std::max(1, std::min(value, pageCount()));
    ++changes;
}

void TrendChart::firstPage()
{
    setCurrentPage(1);
    buttons.first = buttons.previous = false;
    buttons.next = buttons.last = true;
    state.FollowLastPage = false;
    showCurrentPage();
}

void TrendChart::previousPage()
{
    if (page == 1) {
        buttons.first = buttons.previous = false;
    } else {
        setCurrentPage(page - 1);
    }
    buttons.next = buttons.last = true;
    state.FollowLastPage = false;
    showCurrentPage();
}

void TrendChart::nextPage()
{
    if (page == pageCount()) {
        buttons.next = buttons.last = false;
    } else {
        setCurrentPage(page + 1);
    }
    buttons.first = buttons.previous = true;
    state.FollowLastPage = false;
    showCurrentPage();
}

void TrendChart::lastPage()
{
    setCurrentPage(pageCount());
    buttons.next = buttons.last = false;
    buttons.first = buttons.previous = true;
    state.FollowLastPage = true;
    showCurrentPage();
}

void TrendChart::followLastPage()
{
    setCurrentPage(pageCount());
    showCurrentPage();
}

TrendChart::PageRange TrendChart::pageRange() const
{
    const qsizetype points = pointCount(shown);
    PageRange range;
    if (perPage == 0) {
        range.count = points;
    } else {
        range.first = std::min(points, qsizetype(page - 1) * perPage);
        range.count = std::min(points - range.first, qsizetype(perPage));
    }
    if (range.count == 0)
        return range;
    const double first = double(range.first);
    const double last = double(range.first + range.count - 1);
    range.axisMinimum = first;
    // A partly filled last page keeps the spacing of a full one.
    range.axisMaximum =
        perPage > 0 && range.count < perPage ? first + (last - first) * perPage / double(range.count) : last;
    return range;
}

std::vector<QPointF> TrendChart::pagePoints(int columns) const
{
    const PageRange range = pageRange();
    const BlockList<double> &series = values[shown];
    std::vector<QPointF> points;
    if (range.count <= 2 * qsizetype(std::max(columns, 1))) {
        points.reserve(size_t(range.count));
        for (qsizetype x = range.first; x < range.first + range.count; ++x)
            points.emplace_back(double(x), series[size_t(x)]);
        return points;
    }
    // Each column keeps its lowest and highest point, in X order.
    points.reserve(size_t(2 * columns));
    const double perColumn = double(range.count) / columns;
    for (int c = 0; c < columns; ++c) {
        const qsizetype begin = range.first + qsizetype(c * perColumn);
        const qsizetype end = std::min(range.first + range.count, range.first + qsizetype((c + 1) * perColumn));
        if (begin >= end)
            continue;
        const Extremes column = extremes(shown, begin, end);
        if (shown == Area) {
            points.emplace_back(double(column.highAt), series[size_t(column.highAt)]);
            continue;
        }
        const qsizetype lowX = column.lowAt;
        const qsizetype highX = column.highAt;
        points.emplace_back(double(std::min(lowX, highX)), series[size_t(std::min(lowX, highX))]);
        if (lowX != highX)
            points.emplace_back(double(std::max(lowX, highX)), series[size_t(std::max(lowX, highX))]);
    }
    return points;
}

void TrendChart::setLeftAxisRange(int minimum, int maximum)
{
    if (minimum == axisMinimum && maximum == axisMaximum)
        return;
    axisMinimum = minimum;
    axisMaximum = maximum;
    ++changes;
}

// Recording at scale: ten million rows through the record policy (one table
// row and a point in each chart series per reading), the memory they take,
// the grid's jump to the newest row and the chart's redraw.
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/chart/TrendChartView.h"
#include "gui/recording/ReadingTableModel.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
constexpr qint64 kRows = 10'000'000;

// Readings as the meter gives them: many distinct values, a point that moves.
QString readingText(qint64 i)
{
    const qint64 digits = 10000 + (i * 7919) % 90000;
    QString text = QString::number(digits);
    const int point = int(i % 5);
    if (point > 0)
        text.insert(point, u'.');
    return text;
}

// Fills a session with kRows readings; returns the per-append times (ns).
std::vector<double> record(MeterSession &session)
{
    RecordPolicy &policy = session.recordPolicy;
    policy.settings.RepeatSet = true;
    session.state.RecordLimit = RecordPolicy::Limitless;
    session.state.FollowLastPage = true;
    session.state.ReadingUnit = QStringLiteral("RPM");
    int second = 0;
    policy.clock = [&second] { return QTime(0, 0).addSecs(second / 9); };
    std::vector<double> times;
    times.reserve(size_t(kRows));
    for (qint64 i = 0; i < kRows; ++i) {
        session.state.ReadingText = readingText(i);
        ++second;
        const Clock::time_point start = Clock::now();
        policy.INDataToTable(1);
        times.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    return times;
}

void BM_RecordTenMillionRows(benchmark::State &bench)
{
    for (auto _ : bench) {
        // Everything malloc hands out, small blocks and mapped ones alike.
        const auto used = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
        const size_t before = used();
        auto session = std::make_unique<MeterSession>(QStringLiteral("."));
        std::vector<double> times = record(*session);
        const size_t after = used();
        double sum = 0;
        for (double t : times)
            sum += t;
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        bench.counters["bytes_per_row"] = double(after - before - times.size() * sizeof(double)) / double(kRows);
        bench.counters["append_mean_ns"] = sum / double(times.size());
        bench.counters["append_p99_ns"] = sorted[sorted.size() * 99 / 100];
        bench.counters["append_worst_ns"] = sorted.back();
        // Where the worst appends happened (a growing container shows here),
        // and the worst but for the ten worst (what a stray scheduling delay
        // on a busy machine cannot explain).
        bench.counters["append_worst_at_row"] = double(std::max_element(times.begin(), times.end()) - times.begin());
        bench.counters["append_11th_worst_ns"] = sorted[sorted.size() - 11];
        // The last million appends, with ten million rows in place.
        double lastSum = 0;
        for (size_t i = times.size() - 1'000'000; i < times.size(); ++i)
            lastSum += times[i];
        bench.counters["append_mean_at_10M_ns"] = lastSum / 1e6;
    }
}

// A window whose table and chart hold ten million rows and points.
struct BigWindow
{
    SimulatedHidPlatform platform;
    Windows windows{platform};
    TFrmTest &frm = *windows.FrmTest;
    BigWindow()
    {
        record(frm.session);
        frm.show();
    }
};

// Built once, by the first benchmark that needs it; gone before the application.
std::unique_ptr<BigWindow> theBigWindow;

BigWindow &bigWindow()
{
    if (!theBigWindow)
        theBigWindow = std::make_unique<BigWindow>();
    return *theBigWindow;
}

// Catching up with ten million new rows, jumping to the newest and drawing.
void BM_GridJumpToNewestAt10M(benchmark::State &bench)
{
    BigWindow &w = bigWindow();
    QPixmap canvas(w.frm.DBGrid1->size());
    for (auto _ : bench) {
        w.frm.DBGrid1->selectRow(0);
        w.frm.DBGrid1->scrollToTop();
        const Clock::time_point start = Clock::now();
        w.frm.refreshNow(); // syncs the model, selects and shows the newest row
        const int newest = w.frm.DataSource1->rowCount() - 1;
        w.frm.DBGrid1->selectRow(newest);
        w.frm.DBGrid1->scrollTo(w.frm.DataSource1->index(newest, 0));
        w.frm.DBGrid1->render(&canvas);
        bench.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void chartRedraw(benchmark::State &bench, int pointsPerPage)
{
    BigWindow &w = bigWindow();
    TrendChart &chart = w.frm.session.chart;
    chart.setPointsPerPage(pointsPerPage);
    chart.lastPage();
    chart.previousPage(); // a full page (the last may hold a single point)
    QPixmap canvas(w.frm.Chtshow->size());
    for (auto _ : bench) {
        w.frm.Chtshow->refresh(chart);
        static_cast<QWidget *>(w.frm.Chtshow)->render(&canvas);
    }
    bench.counters["points_drawn"] = double(chart.pagePoints(int(w.frm.Chtshow->chart()->plotArea().width())).size());
}

void BM_ChartRedrawPageOf100At10M(benchmark::State &bench)
{
    chartRedraw(bench, 100);
}

void BM_ChartRedrawAllOf10M(benchmark::State &bench)
{
    chartRedraw(bench, 0);
}

void BM_ChartRedrawLineAllOf10M(benchmark::State &bench)
{
    bigWindow().frm.session.chart.setFill(false);
    chartRedraw(bench, 0);
    bigWindow().frm.session.chart.setFill(true);
}
BENCHMARK(BM_ChartRedrawLineAllOf10M)->Unit(benchmark::kMillisecond);

void BM_ChartRefreshOnlyAllOf10M(benchmark::State &bench)
{
    BigWindow &w = bigWindow();
    w.frm.session.chart.setPointsPerPage(0);
    for (auto _ : bench)
        w.frm.Chtshow->refresh(w.frm.session.chart);
}
BENCHMARK(BM_ChartRefreshOnlyAllOf10M)->Unit(benchmark::kMillisecond);

// The core's share of it: choosing at most two points per pixel column.
void BM_PagePointsAllOf10M(benchmark::State &bench)
{
    TrendChart &chart = bigWindow().frm.session.chart;
    chart.setPointsPerPage(0);
    for (auto _ : bench)
        benchmark::DoNotOptimize(chart.pagePoints(304));
}

} // namespace

BENCHMARK(BM_RecordTenMillionRows)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_GridJumpToNewestAt10M)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_ChartRedrawPageOf100At10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartRedrawAllOf10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PagePointsAllOf10M)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    theBigWindow.reset();
    benchmark::Shutdown();
    return 0;
}

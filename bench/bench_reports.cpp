// The data report of a million rows exported to each format, beside the
// tab-separated table save of the same table in the same run; what a page of
// a ten-million-row report costs: laying it out and painting it, the first
// page and the last; the preview at ten thousand and ten million rows, time
// and memory; and, for comparison, Qt's own print preview, which records every
// page before it shows one. Files go to $TMPDIR (default /tmp).
#include "core/recording/TableFiles.h"
#include "core/reports/ReportContent.h"
#include "gui/app/QtDialogs.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportRenderer.h"

#include <QApplication>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTime>

#include <malloc.h>
#include <map>

#include <benchmark/benchmark.h>

namespace {

const ReadingTable &tableOf(qint64 rows)
{
    static std::map<qint64, ReadingTable> tables;
    auto found = tables.find(rows);
    if (found != tables.end())
        return found->second;
    ReadingTable &t = tables[rows];
    for (qint64 i = 0; i < rows; ++i)
        t.append({qint32(i + 1), QTime(0, 0).addSecs(int(i / 9)).toString(QStringLiteral("hh:mm:ss")),
                  QString::number(10000 + (i * 7919) % 90000), QStringLiteral("RPM")});
    return t;
}

// Heap bytes in use, in KiB: what the preview holds while it is open.
double heapKiB()
{
    return double(mallinfo2().uordblks) / 1024;
}

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_Export(benchmark::State &bench, ReportFileFormat format, const char *name)
{
    const ReadingTable &table = tableOf(1'000'000);
    const ReportRenderer report(ReportLayouts::QuickRep1(),
                                {&table, {}, QStringLiteral("10.12.26"), DataReportPages(table.rowCount())});
    const QString path = folder().filePath(QString::fromLatin1(name));
    for (auto _ : bench) {
        ReportExport job(report, path, format);
        if (job.run() != TableFileJob::Status::Done)
            bench.SkipWithError(qPrintable(job.errorString()));
    }
    bench.counters["pages/s"] =
        benchmark::Counter(double(report.pageCount()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TableSaveText(benchmark::State &bench)
{
    const ReadingTable &table = tableOf(1'000'000);
    const QString path = folder().filePath(QStringLiteral("table.xls"));
    for (auto _ : bench) {
        TableSave job(table, ReadingTable::FieldNames(), path);
        if (job.run() != TableFileJob::Status::Done)
            bench.SkipWithError(qPrintable(job.errorString()));
    }
}

// A page of ten million rows, first or last: laid out and painted at screen resolution.
void BM_PaintPage(benchmark::State &bench)
{
    const ReadingTable &table = tableOf(10'000'000);
    const ReportRenderer report(ReportLayouts::QuickRep1(),
                                {&table, {}, QStringLiteral("10.12.26"), DataReportPages(table.rowCount())});
    const qint64 page = bench.range(0) == 0 ? 1 : report.pageCount();
    for (auto _ : bench)
        benchmark::DoNotOptimize(report.pageImage(page, 96));
}

// The preview of the data report opened on the table and its first page
// painted; then the jump to the last page painted.
void BM_Preview(benchmark::State &bench)
{
    const ReadingTable &table = tableOf(bench.range(0));
    QtDialogs boxes(nullptr);
    double addedKiB = 0;
    for (auto _ : bench) {
        const double before = heapKiB();
        const ReportRenderer report(ReportLayouts::QuickRep1(),
                                    {&table, {}, QStringLiteral("10.12.26"), DataReportPages(table.rowCount())});
        ReportPreview preview(report, boxes);
        preview.resize(760, 900);
        benchmark::DoNotOptimize(preview.grab());
        preview.showPage(report.pageCount());
        benchmark::DoNotOptimize(preview.grab());
        addedKiB = std::max(addedKiB, heapKiB() - before);
    }
    bench.counters["added KiB"] = addedKiB;
}

// Qt's print preview widget made ready to show: it has the whole report
// painted into recorded pages first.
void BM_QtPrintPreview(benchmark::State &bench)
{
    const ReadingTable &table = tableOf(bench.range(0));
    double addedKiB = 0;
    for (auto _ : bench) {
        const double before = heapKiB();
        const ReportRenderer report(ReportLayouts::QuickRep1(),
                                    {&table, {}, QStringLiteral("10.12.26"), DataReportPages(table.rowCount())});
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewWidget preview(&printer);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter *target) {
            QPainter painter(target);
            for (qint64 page = 1; page <= report.pageCount(); ++page) {
                if (page > 1)
                    target->newPage();
                report.paintPage(painter, page);
            }
        });
        preview.resize(760, 900);
        preview.updatePreview();
        if (preview.pageCount() != report.pageCount())
            bench.SkipWithError("the preview did not record every page");
        addedKiB = std::max(addedKiB, heapKiB() - before);
    }
    bench.counters["added KiB"] = addedKiB;
}

} // namespace

BENCHMARK(BM_Preview)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtPrintPreview)->Arg(10'000)->Arg(100'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, pdf, ReportFileFormat::Pdf, "r.pdf")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, html, ReportFileFormat::Html, "r.html")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Export, text, ReportFileFormat::Text, "r.txt")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Export, csv, ReportFileFormat::Csv, "r.csv")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_TableSaveText)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PaintPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

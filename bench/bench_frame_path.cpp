// Cost of the report path: Read618 collecting the cable's reports and
// DecodeSegmentFrame turning each frame into its display text.
#include "InputReportStreams.h"
#include "core/common/ModuleState.h"
#include "core/display/SegmentDecoder.h"

#include <benchmark/benchmark.h>

namespace {

// A realistic stream: frames of changing readings, each cut into 8-byte
// reports (7 meter bytes each) with an empty report between frames.
QList<QByteArray> realisticStream(int frames)
{
    QList<QByteArray> reports;
    for (int i = 0; i < frames; ++i) {
        const QByteArray digits = QByteArray::number(10000 + (i * 37) % 90000);
        LcdImage lcd = InputReportStreams::image(digits, 1 + i % 5, {1, quint8(i % 16), 0, 1});
        reports += InputReportStreams::reportsFor(lcd, quint8(i % 16));
    }
    return reports;
}

void BM_Read618AndDecode(benchmark::State &bench)
{
    const int frames = 1000;
    const QList<QByteArray> reports = realisticStream(frames);
    ModuleState state;
    ConnectionIndicator indicator;
    InputReportReader reader(state, indicator);
    int shown = 0;
    for (auto _ : bench) {
        for (const QByteArray &report : reports) {
            auto text = reader.Read618(0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
            shown += text.has_value();
            benchmark::DoNotOptimize(text);
        }
    }
    if (shown != frames * int(bench.iterations()))
        bench.SkipWithError("not every frame was shown");
    bench.SetItemsProcessed(bench.iterations() * reports.size());
    // An inverted rate is seconds per item (printed as e.g. "52n" for 52 ns).
    const auto secondsPer = benchmark::Counter::kIsRate | benchmark::Counter::kInvert;
    bench.counters["s_per_report"] = benchmark::Counter(double(bench.iterations() * reports.size()), secondsPer);
    bench.counters["s_per_frame"] = benchmark::Counter(double(bench.iterations() * frames), secondsPer);
}

void BM_DecodeSegmentFrame(benchmark::State &bench)
{
    const QByteArray frameText = "7B60FC7C65"
                                 "7F7F7F7F7F"
                                 "1F3A"
                                 "DA";
    for (auto _ : bench)
        benchmark::DoNotOptimize(DecodeSegmentFrame(frameText));
}

} // namespace

BENCHMARK(BM_Read618AndDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeSegmentFrame);

BENCHMARK_MAIN();

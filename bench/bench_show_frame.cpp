// Cost of showing one frame on the main window: ShowData618 with the repaint
// of the LCD and the dial, and a replayed report stream at a hundred times the
// meter's pace. Runs on Qt's offscreen platform.
#include "InputReportStreams.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/display/DialPanel.h"
#include "gui/display/DisplayPanel.h"
#include "gui/display/VirtualLcd.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

QList<QByteArray> displayTexts(int count)
{
    QList<QByteArray> texts;
    for (int i = 0; i < count; ++i) {
        QByteArray digits = QByteArray::number(10000 + (i * 7919) % 90000);
        std::reverse(digits.begin(), digits.end());
        texts.append(digits + char('1' + i % 5) + "00000" + "5" + "0201" + "DA");
    }
    return texts;
}

void BM_ShowData618WithRepaint(benchmark::State &bench)
{
    SimulatedHidPlatform platform;
    Windows windows(platform);
    TFrmTest &frm = *windows.FrmTest;
    frm.show();
    const QList<QByteArray> texts = displayTexts(256);
    QPixmap lcd(frm.Panel9->size());
    QPixmap dial(frm.KD->size());
    int i = 0;
    for (auto _ : bench) {
        frm.displayPanel->ShowData618(texts[i++ % texts.size()]);
        frm.refreshNow();
        // Render both widgets (with their children) as a repaint would.
        frm.Panel9->render(&lcd);
        frm.KD->render(&dial);
    }
}

void BM_ShowData618CoreOnly(benchmark::State &bench)
{
    MeterSession session(QStringLiteral("."));
    const QList<QByteArray> texts = displayTexts(256);
    int i = 0;
    for (auto _ : bench)
        benchmark::DoNotOptimize(session.ShowData618(texts[i++ % texts.size()]));
}

// Reports delivered as fast as the window takes them, the event loop running
// between reports (so the bounded-rate refresh paints as it would live). The
// meter sends a frame every 112 ms; at 100 times its pace a frame must cost
// less than 1.12 ms.
void BM_ReportStreamThroughWindow(benchmark::State &bench)
{
    SimulatedHidPlatform platform;
    Windows windows(platform);
    TFrmTest &frm = *windows.FrmTest;
    frm.show();
    QList<QByteArray> reports;
    const int frames = 2000;
    for (int f = 0; f < frames; ++f) {
        const QByteArray digits = QByteArray::number(10000 + (f * 37) % 90000);
        reports += InputReportStreams::reportsFor(InputReportStreams::image(digits, 1 + f % 5));
    }
    for (auto _ : bench) {
        for (const QByteArray &report : reports) {
            frm.Read618(nullptr, 0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
            QCoreApplication::processEvents();
        }
    }
    const auto secondsPer = benchmark::Counter::kIsRate | benchmark::Counter::kInvert;
    bench.counters["s_per_frame"] = benchmark::Counter(double(bench.iterations() * frames), secondsPer);
}

} // namespace

BENCHMARK(BM_ShowData618WithRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowData618CoreOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReportStreamThroughWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

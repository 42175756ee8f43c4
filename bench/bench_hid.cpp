// The HID layer's read path: reports read by a device's read thread and handed
// to a callback on the GUI thread, on the simulated platform (the read loop
// and the hand-off are the same code as on Linux; only the file differs).
#include "core/hid/HidControllerClass.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
const QByteArray kCable = "/dev/sim/cable";

struct Receiver
{
    int received = 0;
    std::vector<Clock::time_point> arrivals;
    void onData(THidDevice *, quint8, const quint8 *, quint16)
    {
        arrivals.push_back(Clock::now());
        ++received;
    }
};

struct Setup
{
    SimulatedHidPlatform platform;
    std::unique_ptr<THidDeviceController> controller;
    THidDevice *device = nullptr;
    Receiver receiver;

    Setup()
    {
        platform.plug(SimulatedHidPlatform::cable(kCable));
        controller = std::make_unique<THidDeviceController>(platform);
        device = controller->CheckOutAt(0);
    }
    ~Setup()
    {
        delete device;
        controller.reset();
    }
    void waitFor(int count)
    {
        while (receiver.received < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
};

const QByteArray kReport = QByteArray::fromHex("00F730373B3630353E");

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[size_t(p * double(values.size() - 1))];
}

// Reports/s when the driver always has the next report ready.
void BM_ReportDelivery(benchmark::State &bench)
{
    Setup s;
    s.device->setOnData(THidDataEvent(&s.receiver, &Receiver::onData));
    // The cable's buffer holds 64 reports: keep it full, not overflowing.
    const int batch = int(SimulatedHidPlatform::MaxQueuedReports);
    for (auto _ : bench) {
        const int target = s.receiver.received + batch;
        for (int i = 0; i < batch; ++i)
            s.platform.pushReport(kCable, kReport);
        s.waitFor(target);
    }
    bench.SetItemsProcessed(bench.iterations() * batch);
}

// From a report becoming readable to the callback running, one report at a time.
void BM_ReportLatency(benchmark::State &bench)
{
    Setup s;
    s.device->setOnData(THidDataEvent(&s.receiver, &Receiver::onData));
    std::vector<double> latencies;
    for (auto _ : bench) {
        const Clock::time_point pushed = Clock::now();
        s.platform.pushReport(kCable, kReport);
        s.waitFor(s.receiver.received + 1);
        latencies.push_back(std::chrono::duration<double, std::micro>(s.receiver.arrivals.back() - pushed).count());
    }
    bench.counters["p50_us"] = percentile(latencies, 0.5);
    bench.counters["p99_us"] = percentile(latencies, 0.99);
}

// How long StopReading takes while the thread waits for a report (slice 100 ms).
void BM_StopReading(benchmark::State &bench)
{
    Setup s;
    std::vector<double> stops;
    for (auto _ : bench) {
        bench.PauseTiming();
        s.device->setOnData(THidDataEvent(&s.receiver, &Receiver::onData));
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the thread is in its wait now
        bench.ResumeTiming();
        const Clock::time_point start = Clock::now();
        s.device->setOnData({});
        stops.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    bench.counters["median_us"] = percentile(stops, 0.5);
    bench.counters["worst_us"] = *std::max_element(stops.begin(), stops.end());
}

} // namespace

BENCHMARK(BM_ReportDelivery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportLatency)->Unit(benchmark::kMicrosecond)->Iterations(5000);
BENCHMARK(BM_StopReading)->Unit(benchmark::kMicrosecond)->Iterations(300);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

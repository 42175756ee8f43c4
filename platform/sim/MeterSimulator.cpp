#include "platform/sim/MeterSimulator.h"

#include "core/link/ReplayFile.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QFile>

#include <optional>

namespace {
constexpr int kReportsPerFrame = 5;
}

MeterSimulator::MeterSimulator(SimulatedHidPlatform &simulatedPlatform, QByteArray cablePath, QObject *parent)
    : QObject(parent), platform(simulatedPlatform), cable(std::move(cablePath))
{
    timer.setInterval(ReportMilliseconds);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &MeterSimulator::tick);
    // Told from whichever thread opens or shuts the cable; followed here.
    platform.followReaders(cable, [this] { QMetaObject::invokeMethod(this, &MeterSimulator::followReaders); });
}

MeterSimulator::~MeterSimulator()
{
    platform.followReaders(cable, {});
}

void MeterSimulator::start()
{
    switchedOn = true;
    followReaders();
}

void MeterSimulator::stop()
{
    switchedOn = false;
    timer.stop();
}

void MeterSimulator::followReaders()
{
    const bool read = switchedOn && platform.readers(cable) > 0;
    if (read && !timer.isActive())
        timer.start();
    else if (!read)
        timer.stop();
}

bool MeterSimulator::loadReplay(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    ReplayReader steps(file);
    QList<QByteArray> reports;
    while (const std::optional<ReplayStep> step = steps.next()) {
        if (step->kind == ReplayStep::Kind::Report)
            reports.append(char(step->reportId) + step->data);
    }
    if (!steps.error().isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(path, steps.error());
        return false;
    }
    if (reports.isEmpty()) {
        *error = QStringLiteral("%1: no reports to play").arg(path);
        return false;
    }
    replay = reports;
    replayPosition = 0;
    return true;
}

void MeterSimulator::tick()
{
    // The meter talks once the cable has been configured.
    if (!configured) {
        configured = !platform.featureReports(cable).isEmpty();
        if (!configured)
            return;
    }
    if (!replay.isEmpty()) {
        platform.pushReport(cable, replay[replayPosition]);
        replayPosition = (replayPosition + 1) % replay.size();
        return;
    }
    if (pending.empty() && silentTicks == 0)
        nextFrame();
    if (silentTicks > 0) {
        --silentTicks;
        return;
    }
    platform.pushReport(cable, pending.front());
    pending.pop_front();
}

void MeterSimulator::nextFrame()
{
    const std::optional<LcdImage> image = scenario.frame(frameIndex++);
    if (!image) {
        silentTicks = kReportsPerFrame;
        return;
    }
    // Arbitrary high nibbles, as the real cable delivers them.
    const quint8 highNibble = quint8(frameIndex % 16);
    for (const QByteArray &report : SplitIntoReports(EncodeMeterFrame(*image, highNibble)))
        pending.push_back(QByteArray(1, '\0') + report);
}

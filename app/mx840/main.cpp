#include "app/FrmTest.h"
#include "app/Windows.h"
#include "hid/LinuxHidPlatform.h"
#include "hid/SimulatedHidPlatform.h"
#include "sim/MeterSimulator.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <memory>

namespace {

const QByteArray kSimulatedCable = "/dev/simulated/hidraw0";

// The simulated machine: the cable with a meter behind it, and two other HID
// devices. Null (with a message) when the replay file cannot be played.
std::unique_ptr<MeterSimulator> simulate(SimulatedHidPlatform &platform, const QString &replayFile)
{
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/simulated/hidraw1", QStringLiteral("Optical Mouse")));
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/simulated/hidraw2", QStringLiteral("Keyboard")));
    platform.plug(SimulatedHidPlatform::cable(kSimulatedCable));
    auto meter = std::make_unique<MeterSimulator>(platform, kSimulatedCable);
    QString error;
    if (!replayFile.isEmpty() && !meter->loadReplay(replayFile, &error)) {
        std::fprintf(stderr, "mx840: %s\n", qPrintable(error));
        return nullptr;
    }
    meter->start();
    return meter;
}

} // namespace

// The program reads no arguments, except --simulate or --simulate=FILE, which
// put a simulated cable and meter in place of the real ones (the meter runs a
// built-in scenario, or plays a replay file in a loop).
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString option = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool simulated = option == u"--simulate" || option.startsWith(u"--simulate=");

    std::unique_ptr<HidPlatform> platform;
    std::unique_ptr<MeterSimulator> meter;
    if (simulated) {
        auto simulatedPlatform = std::make_unique<SimulatedHidPlatform>();
        meter = simulate(*simulatedPlatform, option.section(u'=', 1));
        if (!meter)
            return 2;
        platform = std::move(simulatedPlatform);
    } else {
        platform = std::make_unique<LinuxHidPlatform>();
    }

    int status = 0;
    {
        Windows windows(*platform);
        windows.FrmTest->show();
        status = QApplication::exec();
    }
    return status;
}

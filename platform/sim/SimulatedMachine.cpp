#include "platform/sim/SimulatedMachine.h"

std::unique_ptr<SimulatedMachine> SimulatedMachine::create(const QString &replayFile, QString *error)
{
    auto machine = std::make_unique<SimulatedMachine>();
    SimulatedHidPlatform &platform = machine->platform;
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/simulated/hidraw1", QStringLiteral("Optical Mouse")));
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/simulated/hidraw2", QStringLiteral("Keyboard")));
    platform.plug(SimulatedHidPlatform::cable(CablePath));
    if (!replayFile.isEmpty() && !machine->meter.loadReplay(replayFile, error))
        return nullptr;
    machine->meter.start();
    return machine;
}

#include "platform/HostPlatform.h"

#include "platform/hid/LinuxHidPlatform.h"
#include "platform/sim/SimulatedMachine.h"

std::unique_ptr<HostPlatform> HostPlatform::create(bool simulated, const QString &replayFile, QString *error)
{
    std::unique_ptr<HostPlatform> host(new HostPlatform);
    if (!simulated) {
        host->linuxPlatform = std::make_unique<LinuxHidPlatform>();
        return host;
    }
    host->machine = SimulatedMachine::create(replayFile, error);
    return host->machine ? std::move(host) : nullptr;
}

HostPlatform::~HostPlatform() = default;

HidPlatform &HostPlatform::hid()
{
    return machine ? static_cast<HidPlatform &>(machine->platform) : *linuxPlatform;
}

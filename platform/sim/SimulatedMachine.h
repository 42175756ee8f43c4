#pragma once

#include "platform/hid/SimulatedHidPlatform.h"
#include "platform/sim/MeterSimulator.h"

#include <QString>

#include <memory>

// A machine without a meter: the simulated HID platform with the interface
// cable (a meter behind it, running the built-in scenario or a replay file in
// a loop) and two other HID devices.
class SimulatedMachine
{
public:
    static constexpr const char *CablePath = "/dev/simulated/hidraw0";

    // nullptr with `error` set when the replay file cannot be played.
    static std::unique_ptr<SimulatedMachine> create(const QString &replayFile, QString *error);

    SimulatedHidPlatform platform;
    MeterSimulator meter{platform, CablePath};
};

#pragma once

#include "core/hid/HidPlatform.h"

#include <QString>

#include <memory>

class LinuxHidPlatform;
class SimulatedMachine;

// The HID platform a program runs on: this machine's (Linux), or the simulated
// cable and meter that --simulate[=FILE] asks for.
class HostPlatform
{
public:
    // nullptr with `error` set when the simulated meter's replay file cannot
    // be played.
    static std::unique_ptr<HostPlatform> create(bool simulated, const QString &replayFile, QString *error);
    ~HostPlatform();

    HidPlatform &hid();

private:
    HostPlatform() = default;

    std::unique_ptr<SimulatedMachine> machine;
    std::unique_ptr<LinuxHidPlatform> linuxPlatform;
};

#include "app/FrmTest.h"
#include "app/Windows.h"
#include "hid/LinuxHidPlatform.h"
#include "sim/SimulatedMachine.h"

#include <QApplication>

#include <cstdio>
#include <memory>

// The program reads no arguments, except --simulate or --simulate=FILE, which
// put a simulated cable and meter in place of the real ones (the meter runs a
// built-in scenario, or plays a replay file in a loop).
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString option = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool simulated = option == u"--simulate" || option.startsWith(u"--simulate=");

    std::unique_ptr<SimulatedMachine> machine;
    std::unique_ptr<LinuxHidPlatform> linuxPlatform;
    if (simulated) {
        QString error;
        machine = SimulatedMachine::create(option.section(u'=', 1), &error);
        if (!machine) {
            std::fprintf(stderr, "mx840: %s\n", qPrintable(error));
            return 2;
        }
    } else {
        linuxPlatform = std::make_unique<LinuxHidPlatform>();
    }
    HidPlatform &platform = machine ? static_cast<HidPlatform &>(machine->platform) : *linuxPlatform;

    Windows windows(platform);
    windows.FrmTest->show();
    return QApplication::exec();
}

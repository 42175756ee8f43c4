#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "platform/HostPlatform.h"
#include "platform/signals/TerminationSignals.h"

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

    QString error;
    const std::unique_ptr<HostPlatform> host = HostPlatform::create(simulated, option.section(u'=', 1), &error);
    if (!host) {
        std::fprintf(stderr, "mx840: %s\n", qPrintable(error));
        return 2;
    }

    Windows windows(host->hid());
    windows.FrmTest->show();
    // A logout or a kill closes the window the way its close box does.
    OnTerminationSignals(&application, [&windows] { windows.FrmTest->close(); });
    return QApplication::exec();
}

// The window on the simulated meter for a long time, to see that nothing
// grows or breaks: connects, sets the record limit to limitless, and prints
// once a minute the minutes gone, the rows recorded, the resident memory and
// whether the link is up. With --replug S the cable is unplugged and plugged
// in again every S seconds (and connected again when it is back).
//
//   mx840-soak MINUTES [--replug SECONDS]      (under xvfb-run; built with
//   the asan preset, run it from build/asan/tools)
#include "core/recording/RecordPolicy.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/link/LinkPanel.h"
#include "gui/recording/RecordingPanel.h"
#include "gui/widgets/Dialogs.h"
#include "platform/sim/SimulatedMachine.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// Boxes are written to standard error and answered at once, so that a long
// run never waits for a click.
struct LoggedBoxes : Dialogs
{
    int shown = 0;
    void say(const char *kind, const QString &text)
    {
        ++shown;
        std::fprintf(stderr, "%s: %s\n", kind, qPrintable(text));
    }
    void information(const QString &text) override { say("information", text); }
    void message(const QString &text) override { say("message", text); }
    void error(const QString &text) override { say("error", text); }
    bool confirm(const QString &text) override
    {
        say("confirm", text);
        return false;
    }
    QString savePictureFile() override { return {}; }
    QString saveTableFile(bool) override { return {}; }
    QString openTableFile() override { return {}; }
    SlicedJob::Status runJob(const QString &, SlicedJob &job) override { return job.run(); }
    QString openPictureFile() override { return {}; }
    void previewReport(const ReportRenderer &) override {}
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    const int replugSeconds = argc > 3 && std::strcmp(argv[2], "--replug") == 0 ? std::atoi(argv[3]) : 0;

    QString error;
    const std::unique_ptr<SimulatedMachine> machine = SimulatedMachine::create(QString(), &error);
    Windows windows(machine->platform);
    TFrmTest &frm = *windows.FrmTest;
    LoggedBoxes boxes;
    frm.setDialogs(&boxes);
    frm.show();
    frm.recordingPanel->setLimitClick(frm.setlimit, RecordPolicy::Limitless);
    frm.linkPanel->Panel2Click(); // CONNECT

    int minute = 0;
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        ++minute;
        std::printf("%d min: %lld rows, %.1f MiB resident, %s, %d boxes\n", minute,
                    qlonglong(frm.session.cds1.rowCount()), residentMiB(),
                    frm.link->reading ? "connected" : "not connected", boxes.shown);
        std::fflush(stdout);
        if (minute >= minutes)
            QCoreApplication::quit();
    });
    report.start(60'000);

    QTimer replug;
    bool unplugged = false;
    QObject::connect(&replug, &QTimer::timeout, [&] {
        if (unplugged) {
            machine->platform.replug(SimulatedMachine::CablePath);
            machine->platform.notifyChange();
            // The window leaves reconnecting to its user: DISCONNECT if it
            // still shows the link up, then CONNECT.
            if (frm.link->reading)
                frm.linkPanel->Panel2Click();
            frm.linkPanel->Panel2Click();
        } else {
            machine->platform.unplug(SimulatedMachine::CablePath);
            machine->platform.notifyChange();
        }
        unplugged = !unplugged;
    });
    if (replugSeconds > 0)
        replug.start(replugSeconds * 1000);
    std::printf("0 min: %.1f MiB resident\n", residentMiB());
    std::fflush(stdout);
    return QApplication::exec();
}

#include "LiveRun.h"

#include "RunOutput.h"
#include "core/app/MeterSession.h"
#include "core/app/StartUp.h"
#include "core/link/LinkControl.h"
#include "platform/HostPlatform.h"
#include "platform/signals/TerminationSignals.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <memory>

namespace {

// The link's boxes, as lines on standard error; none once the run is ending.
struct ConsoleMessages : LinkMessages
{
    bool ending = false;
    void information(const QString &text) override
    {
        if (!ending)
            say(text);
    }
    void message(const QString &text) override { information(text); }
};

// Says when the connected meter falls silent, as the window's blinking
// digits do after 30 seconds, and when its data comes back.
class SilenceWatch
{
public:
    explicit SilenceWatch(const MeterSession &meter) : session(meter) {}
    void tick()
    {
        if (session.display.FlashTimeEnabled && !told) {
            told = true;
            say(QStringLiteral("no data from the meter for 30 seconds; is it on, and set to send?"));
        }
    }
    void dataArrived()
    {
        if (told && !session.display.FlashTimeEnabled) {
            told = false;
            say(QStringLiteral("data from the meter again"));
        }
    }

private:
    const MeterSession &session;
    bool told = false;
};

// The report handler of a live run: every line is flushed at once and every
// row is on the disk before the next report, so that a reader of the output
// (or a crash) loses nothing. A row or a line that cannot be written ends the run.
struct FramePrinter
{
    MeterSession &session;
    LineOutput &output;
    RowPrinter &rows;
    const LogOptions &options;
    TableOut *out; // or null
    LinkControl *link = nullptr;
    SilenceWatch *silence = nullptr;
    bool ending = false;
    void Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        if (ending)
            return; // reports still queued while the event loop ends
        link->dataArrived();
        const qsizetype row = feedReport(session, output, rows, options.trace, true, ReportID, Data, Size);
        if (row >= 0 && out)
            out->add(session.cds1, row);
        if (row >= 0 && out && !out->flush())
            end(tableOutFailure(options, *out));
        else if (output.failed())
            end(kExitOutput);
        silence->dataArrived();
    }
    void end(int status)
    {
        ending = true;
        QCoreApplication::exit(status);
    }
};

// Says what happens to the cable, and reconnects when it is back.
void followCable(LinkControl &link)
{
    link.onCableLost = [] { say(QStringLiteral("the interface cable was removed; waiting for it to come back")); };
    link.onCableBack = [&link] {
        if (link.resumeReading())
            say(QStringLiteral("the interface cable is back; recording goes on"));
    };
}

// Why no cable could be connected: none listed under the cable's name (saying
// what was found under a name like it), or the one selected could not be opened.
QString noCableMessage(const LinkControl &link)
{
    if (link.selectedIndex < 0) {
        QStringList alike;
        for (const DevListEntry &entry : link.devices) {
            if (entry.text.startsWith(LinkControl::CableName))
                alike << QStringLiteral("\"%1\" at %2").arg(entry.text, LinkControl::NodeOf(entry.device.get()));
        }
        QString message = QStringLiteral("no interface cable \"%1\" found").arg(LinkControl::CableName);
        if (!alike.isEmpty())
            message += QStringLiteral("; found %1, listed under another name (its serial number is part of it)")
                           .arg(alike.join(QStringLiteral(", ")));
        return message;
    }
    const THidDevice *cable = link.devices[link.selectedIndex].device.get();
    const int why = cable ? cable->ReadWriteOpenError : 0;
    return QStringLiteral("the interface cable at %1 could not be opened: %2")
        .arg(LinkControl::NodeOf(cable), why ? qt_error_string(why) : QStringLiteral("it is held by another program"));
}

} // namespace

int live(const LogOptions &options)
{
    QString error;
    const std::unique_ptr<HostPlatform> host =
        HostPlatform::create(options.source == LogOptions::Source::Simulated, options.file, &error);
    if (!host)
        return fail(error, kExitBadInput);
    HidPlatform &platform = host->hid();

    MeterSession session;
    configure(session, options);
    RunOutputs outputs;
    if (const int status = prepareRun(session, options, outputs))
        return status;
    THidDeviceController HidCtl(platform);
    ConsoleMessages messages;
    LineOutput output;
    RowPrinter rows(session, output, options.format);
    SilenceWatch silence(session);
    FramePrinter printer{session, output, rows, options, outputs.table.get()};
    LinkControl link(session.state, session.display, session.indicator, HidCtl, messages,
                     THidDataEvent(&printer, &FramePrinter::Read618), THidDataEvent());
    printer.link = &link;
    printer.silence = &silence;
    link.onTrouble = [](const QString &trouble) { say(trouble); };
    link.wireEvents();
    link.connect();
    if (!link.reading)
        return fail(noCableMessage(link), kExitNoLink);
    say(QStringLiteral("reading the interface cable at %1")
            .arg(LinkControl::NodeOf(link.devices[link.selectedIndex].device.get())));
    followCable(link);
    if (!options.trace)
        rows.start(true);
    // Reports reach the printer only once the event loop runs.
    if (outputs.table && !outputs.table->start(session.cds1)) {
        link.disconnect();
        return tableOutFailure(options, *outputs.table);
    }

    QObject context;
    OnTerminationSignals(&context, [] { QCoreApplication::exit(0); });
    QTimer ConTimer;
    QObject::connect(&ConTimer, &QTimer::timeout, &context, [&link, &silence] {
        link.watchdogTick();
        silence.tick();
        if (!link.reading)
            QCoreApplication::exit(kExitNoLink); // the watchdog gave up
    });
    ConTimer.start(StartUp::ConTimerMilliseconds);
    QTimer SampInterTime;
    QObject::connect(&SampInterTime, &QTimer::timeout, &context, [&session] { session.recordPolicy.sampleTick(); });
    SampInterTime.start(StartUp::SampInterTimeMilliseconds);
    int status = QCoreApplication::exec();
    messages.ending = true;
    if (status == 0 && link.troubled())
        status = fail(QStringLiteral("the run ended while the interface cable was failing"), kExitNoLink);
    if (link.reading)
        link.disconnect(); // the read thread stops
    return finishRun(session, options, outputs, output, status);
}

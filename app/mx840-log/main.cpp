#include "HostPlatform.h"
#include "LogOptions.h"
#include "app/MeterSession.h"
#include "link/LinkControl.h"
#include "link/ReplayFile.h"
#include "locale/SystemLocale.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kExitNoLink = 1;
constexpr int kExitBadInput = 2;

int fail(const QString &message, int status)
{
    std::fprintf(stderr, "mx840-log: %s\n", qPrintable(message));
    return status;
}

// The trace line of a shown frame: everything the frame set, and the No of
// the row it recorded ("-" for none).
QByteArray traceLine(const MeterSession &session, const QString &recordedNo)
{
    const ModuleState &s = session.state;
    const RangeIndicators &range = session.display.range;
    const QStringList fields{QString::fromLatin1(session.lastDisplayText()),
                             s.ReadingText,
                             QString::number(s.DecimalPosition),
                             s.ReadingUnit,
                             range.Labrate,
                             QString::number(range.PBar2Maximum),
                             QString::number(range.PBar2Position),
                             QString::number(session.dial.needleValue()),
                             QString::number(session.chart.leftAxisMaximum()),
                             recordedNo};
    return fields.join(u'\t').toUtf8();
}

QString orNull(const std::optional<QString> &text)
{
    return text.value_or(QStringLiteral("NULL"));
}

void printLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

// Sets the record policy up as asked.
void configure(MeterSession &session, const LogOptions &options)
{
    session.recordPolicy.timeSeparator = SystemTimeSeparator();
    session.recordPolicy.settings.RepeatSet = options.repeat;
    session.recordPolicy.settings.RecordSI = bool(options.interval);
    if (options.interval)
        session.recordPolicy.settings.RecordSITime = *options.interval;
    session.state.RecordLimit = options.limit;
    session.state.FollowLastPage = true;
}

// Runs one report through the report path and prints what it recorded (or,
// with --trace, what its frame showed).
bool feedReport(MeterSession &session, bool trace, quint8 reportId, const quint8 *data, quint16 size)
{
    const qsizetype rowsBefore = session.cds1.rowCount();
    if (!session.Read618(reportId, data, size).frameShown)
        return false;
    const bool recorded = session.cds1.rowCount() > rowsBefore;
    const qsizetype last = session.cds1.rowCount() - 1;
    if (trace) {
        printLine(traceLine(session, recorded ? orNull(session.cds1.text(last, 0)) : QStringLiteral("-")));
    } else if (recorded) {
        const QStringList fields{orNull(session.cds1.text(last, 0)), orNull(session.cds1.text(last, 1)),
                                 orNull(session.cds1.text(last, 2)), orNull(session.cds1.text(last, 3))};
        printLine(fields.join(u'\t').toUtf8());
    }
    return true;
}

// Feeds every report of the replay file through the report path and prints a
// line for each frame it shows.
int replay(const LogOptions &options)
{
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(options.file, file.errorString()), kExitBadInput);

    MeterSession session(SystemDecimalSeparator());
    configure(session, options);
    ReplayReader steps(file);
    while (const std::optional<ReplayStep> step = steps.next()) {
        if (step->kind == ReplayStep::Kind::Tick) {
            session.recordPolicy.SampInterTimeTimer();
            continue;
        }
        const auto *data = reinterpret_cast<const quint8 *>(step->data.constData());
        feedReport(session, options.trace, step->reportId, data, quint16(step->data.size()));
    }
    if (!steps.error().isEmpty())
        return fail(QStringLiteral("%1: %2").arg(options.file, steps.error()), kExitBadInput);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read %1: %2").arg(options.file, file.errorString()), kExitBadInput);
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write the output"), kExitBadInput);
}

// The link's boxes, as lines on standard error.
struct ConsoleMessages : LinkMessages
{
    void information(const QString &text) override { std::fprintf(stderr, "mx840-log: %s\n", qPrintable(text)); }
    void message(const QString &text) override { information(text); }
};

// The report handler of a live run: every line is flushed at once, so that a
// reader of the output (or a crash) loses nothing.
struct FramePrinter
{
    MeterSession &session;
    bool trace;
    void Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        if (feedReport(session, trace, ReportID, Data, Size))
            std::fflush(stdout);
    }
};

// SIGINT and SIGTERM end the event loop through a pipe the loop watches.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void quitOnSignals(QObject *context)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] { QCoreApplication::exit(0); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Connects to the cable (real or simulated) the way the window does and
// prints readings until interrupted.
int live(const LogOptions &options)
{
    QString error;
    const std::unique_ptr<HostPlatform> host =
        HostPlatform::create(options.source == LogOptions::Source::Simulated, options.file, &error);
    if (!host)
        return fail(error, kExitBadInput);
    HidPlatform &platform = host->hid();

    MeterSession session(SystemDecimalSeparator());
    configure(session, options);
    session.state.PortSelection = 5;
    THidDeviceController HidCtl(platform);
    ConsoleMessages messages;
    FramePrinter printer{session, options.trace};
    LinkControl link(session, HidCtl, messages, THidDataEvent(&printer, &FramePrinter::Read618), THidDataEvent());
    link.wireEvents();
    link.Panel2Click();
    if (!link.USBConDown) {
        if (link.DevListSelected < 0)
            return fail(QStringLiteral("no interface cable \"%1\" found").arg(LinkControl::CableName), kExitNoLink);
        return fail(QStringLiteral("the interface cable could not be opened"), kExitNoLink);
    }

    QObject context;
    quitOnSignals(&context);
    QTimer ConTimer;
    QObject::connect(&ConTimer, &QTimer::timeout, &context, [&link] {
        link.ConTimerTimer();
        if (!link.USBConDown)
            QCoreApplication::exit(kExitNoLink); // the watchdog gave up
    });
    ConTimer.start(1000);
    QTimer SampInterTime;
    QObject::connect(&SampInterTime, &QTimer::timeout, &context,
                     [&session] { session.recordPolicy.SampInterTimeTimer(); });
    SampInterTime.start(1000);
    const int status = QCoreApplication::exec();
    if (link.USBConDown)
        link.Panel2Click(); // disconnect: the read thread stops
    std::fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QString error;
    const std::optional<LogOptions> options = ParseLogOptions(QCoreApplication::arguments().mid(1), &error);
    if (!options) {
        std::fputs(kLogUsage, stderr);
        return fail(error, kExitBadInput);
    }
    if (options->help) {
        std::fputs(kLogUsage, stdout);
        return 0;
    }
    return options->source == LogOptions::Source::Replay ? replay(*options) : live(*options);
}

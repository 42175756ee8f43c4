#include "HostPlatform.h"
#include "LogOptions.h"
#include "app/MeterSession.h"
#include "link/LinkControl.h"
#include "link/ReplayFile.h"
#include "locale/SystemLocale.h"
#include "recording/TableFiles.h"

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
constexpr int kExitTableFile = 3;

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

// Loads the --open files into the table, in order, as the window's Open does.
int openTables(MeterSession &session, const LogOptions &options)
{
    for (const QString &name : options.open) {
        TableLoad job(name, session.cds1);
        if (job.run() != TableFileJob::Status::Done)
            return fail(QStringLiteral("%1 (%2: %3)").arg(TableLoad::failureMessage(), name, job.errorString()),
                        kExitTableFile);
    }
    return 0;
}

// Saves the table to the --out file, if one was given.
int saveTable(const MeterSession &session, const LogOptions &options)
{
    if (options.out.isEmpty())
        return 0;
    TableSave job(session.cds1, ReadingTable::FieldNames(), options.out);
    if (job.run() != TableFileJob::Status::Done)
        return fail(QStringLiteral("%1 (%2)").arg(TableSave::failureMessage(options.out), job.errorString()),
                    kExitTableFile);
    return 0;
}

// A text table written as the rows are recorded during a live run: every
// line is on the disk before the next reading is taken, so a crash or a power
// cut loses at most the row being written. The whole table is saved over it
// at the end all the same.
class LiveTableOut
{
public:
    bool start(const QString &name, const ReadingTable &table)
    {
        file.setFileName(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        QByteArray lines = TableHeaderLine(ReadingTable::FieldNames());
        for (qsizetype i = 0; i < table.rowCount(); ++i)
            lines += TableRowLine(table, i);
        return writeDurably(lines);
    }
    bool add(const ReadingTable &table, qsizetype row) { return writeDurably(TableRowLine(table, row)); }
    QString errorString() const { return file.errorString(); }

private:
    bool writeDurably(const QByteArray &bytes)
    {
        return file.write(bytes) == bytes.size() && file.flush() && ::fdatasync(file.handle()) == 0;
    }
    QFile file;
};

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
    if (const int status = openTables(session, options))
        return status;
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
    if (const int status = saveTable(session, options))
        return status;
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write the output"), kExitBadInput);
}

// No source: the --open files become the --out file.
int convert(const LogOptions &options)
{
    MeterSession session(SystemDecimalSeparator());
    if (const int status = openTables(session, options))
        return status;
    return saveTable(session, options);
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
    LiveTableOut *liveOut; // or null
    QString liveOutName;
    void Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        const qsizetype rowsBefore = session.cds1.rowCount();
        if (!feedReport(session, trace, ReportID, Data, Size))
            return;
        std::fflush(stdout);
        if (liveOut && session.cds1.rowCount() > rowsBefore && !liveOut->add(session.cds1, rowsBefore)) {
            fail(QStringLiteral("%1 (%2)").arg(TableSave::failureMessage(liveOutName), liveOut->errorString()), 0);
            liveOut = nullptr;
            QCoreApplication::exit(kExitTableFile);
        }
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
    if (const int status = openTables(session, options))
        return status;
    LiveTableOut liveOut;
    const bool writeLive = !options.out.isEmpty() && TableLayoutOf(options.out) == TableLayout::Text;
    session.state.PortSelection = 5;
    THidDeviceController HidCtl(platform);
    ConsoleMessages messages;
    FramePrinter printer{session, options.trace, writeLive ? &liveOut : nullptr, options.out};
    LinkControl link(session, HidCtl, messages, THidDataEvent(&printer, &FramePrinter::Read618), THidDataEvent());
    link.wireEvents();
    link.Panel2Click();
    if (!link.USBConDown) {
        if (link.DevListSelected < 0)
            return fail(QStringLiteral("no interface cable \"%1\" found").arg(LinkControl::CableName), kExitNoLink);
        return fail(QStringLiteral("the interface cable could not be opened"), kExitNoLink);
    }
    // Reports reach the printer only once the event loop runs.
    if (writeLive && !liveOut.start(options.out, session.cds1)) {
        link.Panel2Click();
        return fail(QStringLiteral("%1 (%2)").arg(TableSave::failureMessage(options.out), liveOut.errorString()),
                    kExitTableFile);
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
    const int saved = saveTable(session, options);
    return status != 0 ? status : saved;
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
    switch (options->source) {
    case LogOptions::Source::Replay: return replay(*options);
    case LogOptions::Source::None: return convert(*options);
    default: return live(*options);
    }
}

#include "LogOptions.h"
#include "ReportOut.h"
#include "RowFormat.h"
#include "TableOut.h"
#include "core/app/MeterSession.h"
#include "core/app/StartUp.h"
#include "core/link/LinkControl.h"
#include "core/link/ReplayFile.h"
#include "core/recording/TableFiles.h"
#include "platform/HostPlatform.h"
#include "platform/locale/SystemLocale.h"
#include "platform/signals/InterruptibleInput.h"
#include "platform/signals/TerminationSignals.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int kExitNoLink = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitTableFile = 3;
constexpr int kExitOutput = 4;

void say(const QString &message)
{
    std::fprintf(stderr, "mx840-log: %s\n", qPrintable(message));
}

int fail(const QString &message, int status)
{
    say(message);
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

// Standard output, a line at a time. The first write that fails (a closed
// pipe, a full disk) is said with the system's message, and nothing more is
// printed.
class LineOutput
{
public:
    bool print(const QByteArray &line, bool flush)
    {
        if (broken)
            return false;
        errno = 0;
        const bool written = std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
                             std::fputc('\n', stdout) != EOF && (!flush || std::fflush(stdout) == 0);
        return written || breaks();
    }
    bool close() { return flush(); }
    bool flush()
    {
        errno = 0;
        return broken || std::fflush(stdout) == 0 || breaks();
    }
    bool failed() const { return broken; }

private:
    bool breaks()
    {
        broken = true;
        say(QStringLiteral("cannot write to standard output: %1; printing stops")
                .arg(qt_error_string(errno ? errno : EIO)));
        return false;
    }
    bool broken = false;
};

// Prints the rows a run records in the format asked for, each stamped with
// the moment the record policy took its time (the row's Time).
class RowPrinter
{
public:
    RowPrinter(MeterSession &meter, LineOutput &lines, RowFormat rowFormat)
        : session(meter), output(lines), format(rowFormat)
    {
        session.recordPolicy.clock = [this] {
            recordedAt = QDateTime::currentDateTime();
            return recordedAt.time();
        };
    }
    RowPrinter(const RowPrinter &) = delete;
    RowPrinter &operator=(const RowPrinter &) = delete;
    // The header line, for the formats that have one.
    void start(bool flush)
    {
        if (const std::optional<QByteArray> header = RowHeader(format))
            output.print(*header, flush);
    }
    void print(qsizetype row, bool flush)
    {
        output.print(RowLine(format, session.cds1.row(row), recordedAt, session.SysDecimalSep), flush);
    }

private:
    MeterSession &session;
    LineOutput &output;
    RowFormat format;
    QDateTime recordedAt;
};

// Starts the session as the window does, then sets the record policy up as asked.
void configure(MeterSession &session, const LogOptions &options)
{
    StartUp::Configure(session, SystemDecimalSeparator(), SystemTimeSeparator());
    session.recordPolicy.settings.RepeatSet = options.repeat;
    session.recordPolicy.settings.RecordSI = bool(options.interval);
    if (options.interval)
        session.recordPolicy.settings.RecordSITime = *options.interval;
    session.state.RecordLimit = options.limit;
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

int tableOutFailure(const LogOptions &options, const TableOut &out)
{
    return fail(QStringLiteral("%1 (%2)").arg(TableSave::failureMessage(options.out), out.errorString()),
                kExitTableFile);
}

// What a run leaves behind besides its printed rows: the --out file and the report.
struct RunOutputs
{
    std::unique_ptr<TableOut> table; // none without --out
    std::optional<ReportOut> report; // none without --report
};

// The outputs asked for, once it is known they can be made: the --out file can
// be replaced, the report's picture can be read. Otherwise a status.
int prepareOutputs(const LogOptions &options, RunOutputs &outputs)
{
    if (!options.out.isEmpty()) {
        outputs.table = std::make_unique<TableOut>(options.out);
        if (!outputs.table->canReplace())
            return tableOutFailure(options, *outputs.table);
    }
    if (options.report) {
        QString error;
        outputs.report = ReportOut::prepare(options, &error);
        if (!outputs.report)
            return fail(error, kExitTableFile);
    }
    return 0;
}

// The end of every run: the table reaches the --out file, the report its file,
// and the status says the first thing that went wrong.
int finishRun(const MeterSession &session, const LogOptions &options, RunOutputs &outputs, LineOutput &output,
              int status)
{
    output.close();
    if (outputs.table && !outputs.table->finish(session.cds1) && status == 0)
        status = tableOutFailure(options, *outputs.table);
    QString error;
    if (outputs.report && !outputs.report->write(session.cds1, &error) && status == 0)
        status = fail(error, kExitTableFile);
    if (status == 0 && output.failed())
        status = kExitOutput;
    return status;
}

// Runs one report through the report path and prints what it recorded (or,
// with --trace, what its frame showed). The row it recorded, or -1.
qsizetype feedReport(MeterSession &session, LineOutput &output, RowPrinter &rows, bool trace, bool flush,
                     quint8 reportId, const quint8 *data, quint16 size)
{
    const qsizetype rowsBefore = session.cds1.rowCount();
    if (!session.Read618(reportId, data, size).frameShown)
        return -1;
    const bool recorded = session.cds1.rowCount() > rowsBefore;
    const qsizetype last = session.cds1.rowCount() - 1;
    if (trace)
        output.print(traceLine(session, recorded ? orNull(session.cds1.text(last, 0)) : QStringLiteral("-")), flush);
    else if (recorded)
        rows.print(last, flush);
    return recorded ? last : -1;
}

// Rows of a replay reach the --out file in batches of about this size, and
// whenever the input makes the run wait.
constexpr qsizetype kReplayFlushBytes = 1 << 20;

// Runs every step of the replay through the report path, printing a line for
// each frame it shows and adding its rows to `out`. False when a row could
// not be written.
bool feedSteps(ReplayReader &steps, MeterSession &session, LineOutput &output, RowPrinter &rows,
               const LogOptions &options, TableOut *out, const bool &rowsSafe)
{
    while (!output.failed() && rowsSafe) {
        const std::optional<ReplayStep> step = steps.next();
        if (!step)
            break;
        if (step->kind == ReplayStep::Kind::Tick) {
            session.recordPolicy.SampInterTimeTimer();
            continue;
        }
        const auto *data = reinterpret_cast<const quint8 *>(step->data.constData());
        const qsizetype row =
            feedReport(session, output, rows, options.trace, false, step->reportId, data, quint16(step->data.size()));
        if (row >= 0 && out) {
            out->add(session.cds1, row);
            if (out->pendingBytes() >= kReplayFlushBytes && !out->flush())
                return false;
        }
    }
    return rowsSafe;
}

// Feeds every report of the replay file (or stream) through the report path
// and prints a line for each frame it shows. A termination signal ends the
// input as its end would: a pipe that stays open can only end that way.
int replay(const LogOptions &options)
{
    WatchTerminationSignals();
    InterruptibleInput file(options.file);
    if (!file.openInput())
        return fail(QStringLiteral("cannot read %1: %2").arg(options.file, file.errorString()), kExitBadInput);

    MeterSession session;
    configure(session, options);
    if (const int status = openTables(session, options))
        return status;
    RunOutputs outputs;
    if (const int status = prepareOutputs(options, outputs))
        return status;
    LineOutput output;
    RowPrinter rows(session, output, options.format);
    if (!options.trace)
        rows.start(false);
    TableOut *out = outputs.table.get();
    if (out && !out->start(session.cds1))
        return tableOutFailure(options, *out);
    // While the input keeps the run waiting, what it recorded is safe.
    bool rowsSafe = true;
    file.beforeWaiting = [&] {
        output.flush();
        rowsSafe = !out || out->flush();
    };
    ReplayReader steps(file);
    if (!feedSteps(steps, session, output, rows, options, out, rowsSafe))
        return finishRun(session, options, outputs, output, tableOutFailure(options, *out));
    // Bad input leaves the --out file as it was.
    if (out && (!steps.error().isEmpty() || file.failed()))
        out->abandon();
    if (!steps.error().isEmpty())
        return fail(QStringLiteral("%1: %2").arg(options.file, steps.error()), kExitBadInput);
    if (file.failed())
        return fail(QStringLiteral("cannot read %1: %2").arg(options.file, file.errorString()), kExitBadInput);
    return finishRun(session, options, outputs, output, 0);
}

// No source: the --open files become the --out file.
int convert(const LogOptions &options)
{
    MeterSession session;
    if (const int status = openTables(session, options))
        return status;
    RunOutputs outputs;
    if (const int status = prepareOutputs(options, outputs))
        return status;
    LineOutput output;
    return finishRun(session, options, outputs, output, 0);
}

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

    MeterSession session;
    configure(session, options);
    if (const int status = openTables(session, options))
        return status;
    RunOutputs outputs;
    if (const int status = prepareOutputs(options, outputs))
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
    QObject::connect(&SampInterTime, &QTimer::timeout, &context,
                     [&session] { session.recordPolicy.SampInterTimeTimer(); });
    SampInterTime.start(StartUp::SampInterTimeMilliseconds);
    int status = QCoreApplication::exec();
    messages.ending = true;
    if (status == 0 && link.troubled())
        status = fail(QStringLiteral("the run ended while the interface cable was failing"), kExitNoLink);
    if (link.reading)
        link.disconnect(); // the read thread stops
    return finishRun(session, options, outputs, output, status);
}

} // namespace

// Painting a report needs fonts, so a GUI application, which is given no
// screen: reports are painted off screen.
std::unique_ptr<QCoreApplication> applicationFor(bool paintsReports, int &argc, char *argv[])
{
    if (!paintsReports)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The arguments as text, or a message for one that does not survive the way
// back to bytes: a file name must reach the file system as it was given.
std::optional<QStringList> argumentsOf(int argc, char *argv[], QString *error)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QFile::decodeName(bytes);
        if (QFile::encodeName(text) != bytes) {
            QByteArray shown;
            for (const char c : bytes)
                shown += quint8(c) < 0x80 ? QByteArray(1, c) : "\\x" + QByteArray::number(quint8(c), 16);
            *error = QStringLiteral("the argument \"%1\" is not valid in the system's encoding (UTF-8); "
                                    "give file names that are")
                         .arg(QString::fromLatin1(shown));
            return std::nullopt;
        }
        arguments << text;
    }
    return arguments;
}

int main(int argc, char *argv[])
{
    RemoveTemporaryFilesOnTermination();
    // A closed pipe or a file size limit is an error to report, not a death.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    const std::optional<QStringList> arguments = argumentsOf(argc, argv, &error);
    const std::optional<LogOptions> options = arguments ? ParseLogOptions(*arguments, &error) : std::nullopt;
    const std::unique_ptr<QCoreApplication> application = applicationFor(options && options->report, argc, argv);
    if (!options) {
        std::fputs(kLogUsage, stderr);
        return fail(error, kExitBadInput);
    }
    if (options->help) {
        std::fputs(kLogUsage, stdout);
        return 0;
    }
    if (options->version) {
        std::puts("mx840-log " MX840_VERSION);
        return 0;
    }
    switch (options->source) {
    case LogOptions::Source::Replay: return replay(*options);
    case LogOptions::Source::None: return convert(*options);
    default: return live(*options);
    }
}

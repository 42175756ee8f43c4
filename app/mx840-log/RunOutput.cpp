#include "RunOutput.h"

#include "core/app/MeterSession.h"
#include "core/app/StartUp.h"
#include "core/recording/TableFiles.h"
#include "platform/locale/SystemLocale.h"

#include <cerrno>
#include <cstdio>

namespace {

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

} // namespace

void say(const QString &message)
{
    std::fprintf(stderr, "mx840-log: %s\n", qPrintable(message));
}

int fail(const QString &message, int status)
{
    say(message);
    return status;
}

void configure(MeterSession &session, const LogOptions &options)
{
    StartUp::Configure(session, SystemDecimalSeparator(), SystemTimeSeparator());
    session.recordPolicy.settings.RepeatSet = options.repeat;
    session.recordPolicy.settings.RecordSI = bool(options.interval);
    if (options.interval)
        session.recordPolicy.settings.RecordSITime = *options.interval;
    session.state.RecordLimit = options.limit;
}

int tableOutFailure(const LogOptions &options, const TableOut &out)
{
    return fail(QStringLiteral("%1 (%2)").arg(TableSave::failureMessage(options.out), out.errorString()),
                kExitTableFile);
}

int prepareRun(MeterSession &session, const LogOptions &options, RunOutputs &outputs)
{
    if (const int status = openTables(session, options))
        return status;
    return prepareOutputs(options, outputs);
}

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

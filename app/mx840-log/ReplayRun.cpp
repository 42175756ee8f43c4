#include "ReplayRun.h"

#include "RunOutput.h"
#include "core/app/MeterSession.h"
#include "core/link/ReplayFile.h"
#include "platform/signals/InterruptibleInput.h"
#include "platform/signals/TerminationSignals.h"

namespace {

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
            session.recordPolicy.sampleTick();
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

} // namespace

int replay(const LogOptions &options)
{
    WatchTerminationSignals();
    InterruptibleInput file(options.file);
    if (!file.openInput())
        return fail(QStringLiteral("cannot read %1: %2").arg(options.file, file.errorString()), kExitBadInput);

    MeterSession session;
    configure(session, options);
    RunOutputs outputs;
    if (const int status = prepareRun(session, options, outputs))
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

int convert(const LogOptions &options)
{
    MeterSession session;
    RunOutputs outputs;
    if (const int status = prepareRun(session, options, outputs))
        return status;
    LineOutput output;
    return finishRun(session, options, outputs, output, 0);
}

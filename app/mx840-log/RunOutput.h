#pragma once

#include "LogOptions.h"
#include "ReportOut.h"
#include "RowFormat.h"
#include "TableOut.h"
#include "core/app/MeterSession.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

// What every kind of run shares: the exit statuses, messages on standard
// error, the printed lines and rows, the table and report a run leaves behind.

constexpr int kExitNoLink = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitTableFile = 3;
constexpr int kExitOutput = 4;

// A message on standard error; fail also gives the status to end with.
void say(const QString &message);
int fail(const QString &message, int status);

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
void configure(MeterSession &session, const LogOptions &options);
int tableOutFailure(const LogOptions &options, const TableOut &out);

// What a run leaves behind besides its printed rows: the --out file and the report.
struct RunOutputs
{
    std::unique_ptr<TableOut> table; // none without --out
    std::optional<ReportOut> report; // none without --report
};

// Before a run reads anything: the --open files loaded into the table, in
// order, as the window's Open does; the outputs asked for, once it is known
// they can be made (the --out file can be replaced, the report's picture can
// be read). Otherwise a status.
int prepareRun(MeterSession &session, const LogOptions &options, RunOutputs &outputs);
// The end of every run: the table reaches the --out file, the report its file,
// and the status says the first thing that went wrong.
int finishRun(const MeterSession &session, const LogOptions &options, RunOutputs &outputs, LineOutput &output,
              int status);
// Runs one report through the report path and prints what it recorded (or,
// with --trace, what its frame showed). The row it recorded, or -1.
qsizetype feedReport(MeterSession &session, LineOutput &output, RowPrinter &rows, bool trace, bool flush,
                     quint8 reportId, const quint8 *data, quint16 size);

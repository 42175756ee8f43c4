#pragma once

#include "RowFormat.h"
#include "core/app/StartUp.h"
#include "core/reports/ReportLayout.h"

#include <QString>
#include <QStringList>

#include <optional>

// What mx840-log was asked to do.
struct LogOptions
{
    // None: only table files are opened and saved.
    enum class Source { Cable, Simulated, Replay, None };
    Source source = Source::Cable;
    QString file; // the replay file, or the file the simulated meter plays
    bool trace = false;
    bool help = false;
    bool version = false;
    RowFormat format = RowFormat::Tsv; // of the rows printed
    // The record policy, as the window starts with it unless told otherwise.
    bool repeat = true;
    std::optional<QString> interval; // the sampling interval on, with this many seconds
    qint32 limit = StartUp::RecordLimit;
    // Table files: opened into the table before the source runs, in order; the
    // table saved at the end.
    QStringList open;
    QString out;
    // A report of the table at the end, exported to a file, printed, or both.
    std::optional<ReportStyle> report;
    QString picture;
    QString exportFile;
    std::optional<QString> printQueue; // empty: the default queue
};

extern const char kLogUsage[];

// nullopt with `error` set when the arguments (without the program name) are not understood.
std::optional<LogOptions> ParseLogOptions(const QStringList &arguments, QString *error);

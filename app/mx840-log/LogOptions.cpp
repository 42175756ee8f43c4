#include "LogOptions.h"

#include "core/reports/ReportContent.h"

const char kLogUsage[] = "Usage: mx840-log [--cable | --simulate[=FILE] | --replay FILE] [OPTION]...\n"
                         "  or:  mx840-log --open TABLE... [--out TABLE] [--report STYLE --export FILE]\n"
                         "  or:  mx840-log --open TABLE... --report STYLE --print [QUEUE]\n"
                         "\n"
                         "Records the meter's readings without a window, under the same record\n"
                         "policy as the window, and prints every recorded row: No, Time, Value and\n"
                         "Unit, separated by tabs unless --format says otherwise.\n"
                         "\n"
                         "Sources (by default the real cable; with --open and no source given, none):\n"
                         "  --cable         Find the interface cable \"USB to Serial\", configure it\n"
                         "                  and print readings as frames arrive, until interrupted\n"
                         "                  (Ctrl+C, SIGTERM or SIGHUP end it cleanly, exit status\n"
                         "                  0). A cable unplugged meanwhile is waited for: when it\n"
                         "                  is back, the run goes on.\n"
                         "  --simulate      The same with a simulated cable and meter running a\n"
                         "                  built-in scenario; --simulate=FILE plays a replay file\n"
                         "                  at the meter's pace, in a loop.\n"
                         "  --replay FILE   Feed the reports of FILE through the report path as fast\n"
                         "                  as they can be read, then end. FILE holds one report per\n"
                         "                  line as the program logs it, e.g.\n"
                         "                  \"R 00  F7 30 37 3B 36 30 35 3E\" (hexadecimal in either\n"
                         "                  case, trailing blank optional), or the word \"tick\" for\n"
                         "                  one second passing on the one-second timers. Lines\n"
                         "                  starting with '#' and blank lines are skipped. A \"tick\"\n"
                         "                  counts the sampling interval down. FILE may be a\n"
                         "                  pipe (/dev/stdin, a FIFO): it is read to its end, or\n"
                         "                  until Ctrl+C, SIGTERM or SIGHUP, which end it as its\n"
                         "                  end would.\n"
                         "\n"
                         "Record policy (as the window starts):\n"
                         "  --repeat        Record unchanged readings again (the default).\n"
                         "  --no-repeat     Record a reading only when it differs from the last row.\n"
                         "  --interval N    Sampling interval on: a row at most every N seconds.\n"
                         "  --limit N       The most rows: 1000, 5000, 10000 (the default), 50000,\n"
                         "                  100000 or limitless (ten million).\n"
                         "\n"
                         "Printed rows (a line each, flushed at once in a live run):\n"
                         "  --format tsv    No, Time, Value and Unit separated by tabs, NULL for an\n"
                         "                  empty field (the default).\n"
                         "  --format csv    A header line \"No,Time,Value,Unit\", then the rows,\n"
                         "                  quoted as RFC 4180 wants (a value with a decimal comma\n"
                         "                  is quoted).\n"
                         "  --format jsonl  A JSON object per row: \"No\", \"Time\", \"Value\" and\n"
                         "                  \"Unit\" as recorded, \"timestamp\", the moment of\n"
                         "                  recording in ISO 8601 with the date and the UTC offset,\n"
                         "                  and \"number\", the Value as a JSON number (null for an\n"
                         "                  overload, 0L, or any value that is not a number).\n"
                         "  --trace         Print, for every shown frame, these tab-separated fields:\n"
                         "                  the display text (18 characters), the reading, the\n"
                         "                  decimal point position, the unit, the dial multiplier,\n"
                         "                  the progress bar's maximum and position, the needle value,\n"
                         "                  the maximum of the chart's left axis, and the No of the row\n"
                         "                  recorded for the frame, or \"-\".\n"
                         "\n"
                         "Table files (as the window saves them, the layout by the extension):\n"
                         "  --open TABLE    Load TABLE into the table before the source runs, as the\n"
                         "                  window's Open does: a text file's rows are added, an XML\n"
                         "                  file's rows replace the table. May be given more than once.\n"
                         "                  A name ending in .xml is the XML data packet; any other,\n"
                         "                  tab-separated text with a header line.\n"
                         "  --out TABLE     Save the table to TABLE at the end of a replay, when a\n"
                         "                  live run is interrupted, or at once when there is no\n"
                         "                  source (mx840-log --open a.xml --out a.xls converts).\n"
                         "                  TABLE is replaced as a whole: the new content is written\n"
                         "                  beside it and takes its place only when complete, so\n"
                         "                  TABLE's folder must be writable (checked before the\n"
                         "                  run starts). In a live run or a replay every row goes,\n"
                         "                  as it is recorded, to TABLE.partial beside it\n"
                         "                  (tab-separated text, on disk before the next reading\n"
                         "                  in a live run, whenever the input waits in a replay),\n"
                         "                  which becomes TABLE at the end (or is removed once an\n"
                         "                  XML TABLE is saved); after a crash it holds the rows.\n"
                         "                  A TABLE that exists and is not a regular file (a device,\n"
                         "                  a FIFO, /dev/stdout) is written into directly, never\n"
                         "                  replaced; a live run streams its rows into it.\n"
                         "\n"
                         "Reports (of the table as it stands when --out would save it):\n"
                         "  --report STYLE  The data report (STYLE data: the rows), the graph report\n"
                         "                  (graph: a picture) or both in one (both), as the window\n"
                         "                  prints them.\n"
                         "  --picture FILE  The picture of the graph reports (any image Qt reads,\n"
                         "                  such as the chart saved as a bitmap).\n"
                         "  --export FILE   Write the report to FILE, the format by its extension:\n"
                         "                  .pdf, .html, .txt or .csv.\n"
                         "  --print [QUEUE]  Print the report on the printer queue QUEUE (the\n"
                         "                   system's default queue without it), on A4.\n"
                         "\n"
                         "  -h, --help      Show this text.\n"
                         "  --version       Show the program's version.\n"
                         "\n"
                         "Exit status: 0 on success; 1 when no cable is found, it cannot be opened,\n"
                         "the meter stays silent until the link gives up, or the run ends while the\n"
                         "cable is failing; 2 for bad arguments (an option given twice, a file name\n"
                         "that is not valid UTF-8), a missing or unreadable file, or a malformed line\n"
                         "(the message names it);\n"
                         "3 when a table file cannot be opened (\"Failed to Load File!\") or saved,\n"
                         "a row cannot be written (the run stops; every row written is kept), a\n"
                         "graph report has no picture or one that cannot be read (said before the\n"
                         "run starts), a printer queue is unknown or refuses the report, or a report\n"
                         "cannot be exported;\n"
                         "4 when standard output cannot be written (a closed pipe, a full disk):\n"
                         "printing stops, the run ends and the table is saved all the same.\n";

namespace {

// The options that take one value and may be given once.
const QStringList kSingleValued{"--format", "--report", "--picture",  "--export",
                                "--print",  "--out",    "--interval", "--limit"};

// The value after an option that names a file: missing, empty, or another
// option (a file whose name starts with "--" is given as ./--name) is refused.
std::optional<QString> fileNameAfter(const QStringList &arguments, qsizetype &i, QString *error)
{
    const QString &option = arguments[i];
    if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(u"--")) {
        *error = QStringLiteral("%1 needs a file name").arg(option);
        return std::nullopt;
    }
    if (arguments[i + 1].isEmpty()) {
        *error = QStringLiteral("%1 needs a file name, not an empty one").arg(option);
        return std::nullopt;
    }
    return arguments[++i];
}

} // namespace

std::optional<LogOptions> ParseLogOptions(const QStringList &arguments, QString *error)
{
    LogOptions options;
    int sources = 0;
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (kSingleValued.contains(argument)) {
            if (given.contains(argument)) {
                *error = QStringLiteral("%1 may be given once").arg(argument);
                return std::nullopt;
            }
            given << argument;
        }
        if (argument == u"-h" || argument == u"--help") {
            options.help = true;
        } else if (argument == u"--version") {
            options.version = true;
        } else if (argument == u"--format") {
            const QString name = i + 1 < arguments.size() ? arguments[++i] : QString();
            const std::optional<RowFormat> format = RowFormatOf(name);
            if (!format) {
                *error = QStringLiteral("--format is one of tsv, csv or jsonl, not \"%1\"").arg(name);
                return std::nullopt;
            }
            options.format = *format;
        } else if (argument == u"--trace") {
            options.trace = true;
        } else if (argument == u"--repeat" || argument == u"--no-repeat") {
            options.repeat = argument == u"--repeat";
        } else if (argument == u"--report") {
            const QString kind = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (kind == u"data")
                options.report = ReportStyle::Data;
            else if (kind == u"graph")
                options.report = ReportStyle::Graph;
            else if (kind == u"both")
                options.report = ReportStyle::Both;
            else {
                *error = QStringLiteral("--report is one of data, graph or both, not \"%1\"").arg(kind);
                return std::nullopt;
            }
        } else if (argument == u"--picture" || argument == u"--export" || argument == u"--open" ||
                   argument == u"--out") {
            const std::optional<QString> name = fileNameAfter(arguments, i, error);
            if (!name)
                return std::nullopt;
            if (argument == u"--open")
                options.open << *name;
            else
                (argument == u"--out"       ? options.out
                 : argument == u"--picture" ? options.picture
                                            : options.exportFile) = *name;
        } else if (argument == u"--print") {
            // The queue is optional: every other argument is an option.
            const bool queueGiven = i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-');
            options.printQueue = queueGiven ? arguments[++i] : QString();
        } else if (argument == u"--cable") {
            options.source = LogOptions::Source::Cable;
            ++sources;
        } else if (argument == u"--interval" || argument == u"--limit") {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(argument);
                return std::nullopt;
            }
            const QString value = arguments[++i];
            if (argument == u"--interval") {
                bool ok = false;
                const int seconds = value.toInt(&ok, 10);
                if (!ok || seconds < 0) {
                    *error = QStringLiteral("--interval needs a whole number of seconds, not \"%1\"").arg(value);
                    return std::nullopt;
                }
                options.interval = value;
            } else {
                const QStringList limits{"1000", "5000", "10000", "50000", "100000"};
                if (value == u"limitless")
                    options.limit = 10000000;
                else if (limits.contains(value))
                    options.limit = value.toInt();
                else {
                    *error = QStringLiteral("--limit is one of 1000, 5000, 10000, 50000, 100000 or limitless, "
                                            "not \"%1\"")
                                 .arg(value);
                    return std::nullopt;
                }
            }
        } else if (argument == u"--simulate" || argument.startsWith(u"--simulate=")) {
            options.source = LogOptions::Source::Simulated;
            options.file = argument.section(u'=', 1);
            ++sources;
        } else if (argument == u"--replay" || argument.startsWith(u"--replay=")) {
            options.source = LogOptions::Source::Replay;
            if (argument == u"--replay") {
                const std::optional<QString> name = fileNameAfter(arguments, i, error);
                if (!name)
                    return std::nullopt;
                options.file = *name;
            } else {
                options.file = argument.section(u'=', 1);
            }
            ++sources;
        } else {
            *error = QStringLiteral("unknown argument: %1").arg(argument);
            return std::nullopt;
        }
    }
    if (sources > 1) {
        *error = QStringLiteral("give one source: --cable, --simulate or --replay");
        return std::nullopt;
    }
    if (options.trace && options.format != RowFormat::Tsv) {
        *error = QStringLiteral("--trace prints tab-separated lines: give it without --format");
        return std::nullopt;
    }
    if (options.report.has_value() != (!options.exportFile.isEmpty() || options.printQueue.has_value())) {
        *error = QStringLiteral("--report and --export (or --print) go together");
        return std::nullopt;
    }
    if (!options.exportFile.isEmpty() && !ReportFileFormatOf(options.exportFile)) {
        *error = QStringLiteral("--export %1: the extension names the format: .pdf, .html, .txt or .csv")
                     .arg(options.exportFile);
        return std::nullopt;
    }
    if (sources == 0 && !options.open.isEmpty())
        options.source = LogOptions::Source::None;
    if (options.source == LogOptions::Source::Replay && options.file.isEmpty()) {
        *error = QStringLiteral("--replay needs a file name");
        return std::nullopt;
    }
    return options;
}

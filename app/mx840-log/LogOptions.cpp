#include "LogOptions.h"

const char kLogUsage[] = "Usage: mx840-log --replay FILE\n"
                         "\n"
                         "Runs the meter's report path without a window.\n"
                         "\n"
                         "  --replay FILE   Read input reports from FILE and print the display text\n"
                         "                  (18 characters) of every frame the meter would show, one\n"
                         "                  per line. FILE holds one report per line as the program\n"
                         "                  logs it, e.g. \"R 00  F7 30 37 3B 36 30 35 3E\" (hexadecimal\n"
                         "                  in either case, trailing blank optional), or the word\n"
                         "                  \"tick\" for one second passing on the one-second timers.\n"
                         "                  Lines starting with '#' and blank lines are skipped.\n"
                         "  -h, --help      Show this text.\n"
                         "\n"
                         "Exit status: 0 on success; 2 for bad arguments, a missing or unreadable\n"
                         "file, or a malformed line (the message names the line).\n";

std::optional<LogOptions> ParseLogOptions(const QStringList &arguments, QString *error)
{
    LogOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-h" || argument == u"--help") {
            options.help = true;
        } else if (argument == u"--trace") {
            options.trace = true;
        } else if (argument == u"--replay") {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("--replay needs a file name");
                return std::nullopt;
            }
            options.replayFile = arguments[++i];
        } else if (argument.startsWith(u"--replay=")) {
            options.replayFile = argument.mid(9);
        } else {
            *error = QStringLiteral("unknown argument: %1").arg(argument);
            return std::nullopt;
        }
    }
    if (!options.help && options.replayFile.isEmpty()) {
        *error = QStringLiteral("nothing to do: give --replay FILE");
        return std::nullopt;
    }
    return options;
}

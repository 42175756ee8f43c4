#include "LogOptions.h"
#include "app/MeterSession.h"
#include "link/ReplayFile.h"
#include "locale/SystemLocale.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

constexpr int kExitFailure = 2;

int fail(const QString &message)
{
    std::fprintf(stderr, "mx840-log: %s\n", qPrintable(message));
    return kExitFailure;
}

// One line for a shown frame: the reading and its unit, or with --trace
// everything the frame set.
QByteArray frameLine(const MeterSession &session, bool trace)
{
    const ModuleState &s = session.state;
    if (!trace)
        return (s.ReadingText + u'\t' + s.ReadingUnit).toUtf8();
    const RangeIndicators &range = session.display.range;
    const QStringList fields{QString::fromLatin1(session.lastDisplayText()),
                             s.ReadingText,
                             QString::number(s.DecimalPosition),
                             s.ReadingUnit,
                             range.Labrate,
                             QString::number(range.PBar2Maximum),
                             QString::number(range.PBar2Position),
                             QString::number(session.dial.needleValue()),
                             QString::number(session.chart.leftAxisMaximum())};
    return fields.join(u'\t').toUtf8();
}

// Feeds every report of the replay file through the report path and prints a
// line for each frame it shows.
int replay(const LogOptions &options)
{
    const QString &path = options.replayFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));

    MeterSession session(SystemDecimalSeparator());
    ReplayReader steps(file);
    while (const std::optional<ReplayStep> step = steps.next()) {
        if (step->kind == ReplayStep::Kind::Tick)
            continue; // no one-second timer acts on a replay yet
        const auto *data = reinterpret_cast<const quint8 *>(step->data.constData());
        if (session.Read618(step->reportId, data, quint16(step->data.size())).frameShown) {
            const QByteArray line = frameLine(session, options.trace);
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
            std::fputc('\n', stdout);
        }
    }
    if (!steps.error().isEmpty())
        return fail(QStringLiteral("%1: %2").arg(path, steps.error()));
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write the output"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QString error;
    const std::optional<LogOptions> options = ParseLogOptions(QCoreApplication::arguments().mid(1), &error);
    if (!options) {
        std::fputs(kLogUsage, stderr);
        return fail(error);
    }
    if (options->help) {
        std::fputs(kLogUsage, stdout);
        return 0;
    }
    return replay(*options);
}

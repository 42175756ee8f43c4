#include "LogOptions.h"
#include "app/ModuleState.h"
#include "link/ReplayFile.h"
#include "link/ReportReader.h"

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

// Feeds every report of the replay file through the report path and prints the
// display text of each frame it shows.
int replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));

    ModuleState state;
    ConnectionIndicator indicator;
    ReportReader reader(state, indicator);
    ReplayReader steps(file);
    while (const std::optional<ReplayStep> step = steps.next()) {
        if (step->kind == ReplayStep::Kind::Tick)
            continue; // no one-second timer acts on a replay yet
        const auto *data = reinterpret_cast<const quint8 *>(step->data.constData());
        if (const std::optional<QByteArray> text = reader.Read618(step->reportId, data, quint16(step->data.size()))) {
            std::fwrite(text->constData(), 1, size_t(text->size()), stdout);
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
    return replay(options->replayFile);
}

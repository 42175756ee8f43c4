#include "LiveRun.h"
#include "LogOptions.h"
#include "ReplayRun.h"
#include "RunOutput.h"
#include "platform/session/RuntimeFolder.h"
#include "platform/signals/TerminationSignals.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

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

} // namespace

int main(int argc, char *argv[])
{
    RemoveTemporaryFilesOnTermination();
    // A closed pipe or a file size limit is an error to report, not a death.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    const std::optional<QStringList> arguments = argumentsOf(argc, argv, &error);
    const std::optional<LogOptions> options = arguments ? ParseLogOptions(*arguments, &error) : std::nullopt;
    UsePrivateRuntimeFolder();
    const std::unique_ptr<QCoreApplication> application = applicationFor(options && options->report, argc, argv);
    if (!options) {
        say(error);
        std::fputs("Try 'mx840-log --help' for more information.\n", stderr);
        return kExitBadInput;
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

#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "platform/HostPlatform.h"
#include "platform/session/RuntimeFolder.h"
#include "platform/signals/TerminationSignals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

const char kUsage[] = "Usage: mx840 [--simulate[=FILE]]\n"
                      "\n"
                      "The MX840 interface program: the meter's live reading on a virtual LCD\n"
                      "and an analog dial, recording into a table and a trend chart, table files\n"
                      "and reports. CONNECT opens the interface cable \"USB to Serial\".\n"
                      "\n"
                      "  --simulate      Put a simulated cable and meter in place of the real\n"
                      "                  ones, the meter running a built-in scenario;\n"
                      "                  --simulate=FILE plays a replay file (see mx840-log) at\n"
                      "                  the meter's pace, in a loop.\n"
                      "  -h, --help      Show this text.\n"
                      "  --version       Show the program's version.\n"
                      "\n"
                      "Qt's own options (-platform, -style, -geometry, ...) are taken as Qt takes\n"
                      "them; any other argument is ignored.\n"
                      "\n"
                      "Exit status: 0 when the window is closed; 1 when there is no display to\n"
                      "show it on; 2 for a replay file that cannot be played.\n";

// What the command line asks before any window: help or the version.
// nullopt: go on.
std::optional<int> answerBeforeWindow(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argument, "--version") == 0) {
            std::puts("mx840 " MX840_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

// Messages held while the application starts: Qt ends the program with a
// fatal message, after a few lines of its own, when it finds no display.
QList<QByteArray> startUpMessages;

void holdStartUpMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg) {
        QStringList named;
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            if (!qEnvironmentVariableIsEmpty(name))
                named << QStringLiteral("%1=%2").arg(QLatin1StringView(name), qEnvironmentVariable(name));
        }
        const QString why = named.isEmpty() ? QStringLiteral("DISPLAY and WAYLAND_DISPLAY are unset")
                                            : named.join(QStringLiteral(", ")) + QStringLiteral(" cannot be reached");
        std::fprintf(stderr, "mx840: no display to show the window on (%s)\n", qPrintable(why));
        std::_Exit(1);
    }
    startUpMessages << text.toLocal8Bit();
}

// The application, or the program ends with one line when there is no display.
std::unique_ptr<QApplication> startApplication(int &argc, char *argv[])
{
    UsePrivateRuntimeFolder();
    qInstallMessageHandler(holdStartUpMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QByteArray &message : std::as_const(startUpMessages))
        std::fprintf(stderr, "%s\n", message.constData());
    startUpMessages.clear();
    return application;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before the application: it needs a display, which --help and --version do not.
    RemoveTemporaryFilesOnTermination();
    if (const std::optional<int> status = answerBeforeWindow(argc, argv))
        return *status;
    const std::unique_ptr<QApplication> application = startApplication(argc, argv);
    const QString option = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool simulated = option == u"--simulate" || option.startsWith(u"--simulate=");

    QString error;
    const std::unique_ptr<HostPlatform> host = HostPlatform::create(simulated, option.section(u'=', 1), &error);
    if (!host) {
        std::fprintf(stderr, "mx840: %s\n", qPrintable(error));
        return 2;
    }

    Windows windows(host->hid());
    windows.FrmTest->show();
    // A logout or a kill closes the window the way its close box does.
    OnTerminationSignals(application.get(), [&windows] { windows.FrmTest->close(); });
    return QApplication::exec();
}

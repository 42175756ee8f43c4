#include "platform/signals/TerminationSignals.h"

#include "core/common/TemporaryFiles.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only write a byte; the event loop watches the other end.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void removeTemporariesAndDie(int signal)
{
    TemporaryFiles::RemoveAll();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void handleWith(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kTerminationSignals)
        sigaction(signal, &action, nullptr);
}

bool makePipe()
{
    return signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0;
}

} // namespace

void RemoveTemporaryFilesOnTermination()
{
    handleWith(removeTemporariesAndDie);
}

int TerminationSignalDescriptor()
{
    return signalPipe[0];
}

void WatchTerminationSignals()
{
    if (makePipe())
        handleWith(onSignal);
}

void OnTerminationSignals(QObject *context, std::function<void()> quit)
{
    if (!makePipe())
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [quit = std::move(quit)] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        quit();
    });
    handleWith(onSignal);
}

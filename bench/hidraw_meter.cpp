// A meter behind a mocked interface cable on the Linux HID backend, for
// measuring a program on the real cable path: the cable's hidraw node is
// mocked by umockdev, the meter sends about nine frames a second, its reports
// spread over each frame's time as the cable passes them on, and a command is
// run beside it (it sees the mocked cable). Reports nobody reads are dropped,
// as the kernel drops them when its buffer is full. Ends with the command.
//
//   umockdev-wrapper hidraw_meter -- COMMAND [ARG...]
//
// e.g. xvfb-run -a umockdev-wrapper build/default/bench/hidraw_meter --
//      bench/cpu_usage.sh --connect 60 -- build/default/app/mx840
#include "MockedCable.h"

#include "core/link/MeterFrame.h"

#include <QByteArray>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto FramePeriod = std::chrono::microseconds(1'000'000 / 9);

// The reports of frame `n`: a count on the main digits, and the report that
// closes a frame.
QList<QByteArray> frameReports(int n)
{
    const QByteArray digits = QByteArray::number(10000 + n % 90000);
    QList<QByteArray> reports = SplitIntoReports(EncodeMeterFrame(LcdImageOf(digits, 3)));
    reports.append(QByteArray("\xF0\0\0\0\0\0\0\0", 8));
    return reports;
}

pid_t start(char **command)
{
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        std::fprintf(stderr, "hidraw_meter: cannot run %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    return child;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || std::strcmp(argv[1], "--") != 0) {
        std::fprintf(stderr, "usage: umockdev-wrapper hidraw_meter -- COMMAND [ARG...]\n");
        return 2;
    }
    const char *preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "umockdev")) {
        std::fprintf(stderr, "hidraw_meter: run it under umockdev-wrapper\n");
        return 2;
    }
    UMockdevTestbed *testbed = umockdev_testbed_new();
    MockedCable::IoctlServer ioctls;
    if (!MockedCable::addInterface(testbed, "usb1", "0003:1234:5678.0007", "hidraw0", "USB to Serial", "") ||
        !ioctls.attach(testbed, "/dev/hidraw0")) {
        std::fprintf(stderr, "hidraw_meter: cannot mock the cable\n");
        return 1;
    }
    const int cable = umockdev_testbed_get_dev_fd(testbed, "/dev/hidraw0");
    fcntl(cable, F_SETFL, fcntl(cable, F_GETFL) | O_NONBLOCK);

    const pid_t child = start(argv + 2);
    long frames = 0;
    long sent = 0;
    long dropped = 0;
    int status = 0;
    auto due = Clock::now();
    while (waitpid(child, &status, WNOHANG) == 0) {
        const QList<QByteArray> reports = frameReports(int(frames++));
        for (const QByteArray &report : reports) {
            if (write(cable, report.constData(), size_t(report.size())) == ssize_t(report.size()))
                ++sent;
            else
                ++dropped;
            due += FramePeriod / reports.size();
            std::this_thread::sleep_until(due);
        }
    }
    std::fprintf(stderr, "hidraw_meter: %ld frames, %ld reports passed on, %ld dropped, %lld feature reports\n", frames,
                 sent, dropped, qlonglong(ioctls.features().size()));
    g_object_unref(testbed);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

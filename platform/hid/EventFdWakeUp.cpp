#include "platform/hid/EventFdWakeUp.h"

#include <QSocketNotifier>

#include <utility>

#include <sys/eventfd.h>
#include <unistd.h>

std::unique_ptr<HidWakeUp> EventFdWakeUp::create(std::function<void()> woken)
{
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<HidWakeUp>(new EventFdWakeUp(fd, std::move(woken)));
}

EventFdWakeUp::EventFdWakeUp(int fd, std::function<void()> onWake)
    : wakeFd(fd), notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this)), woken(std::move(onWake))
{
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        quint64 count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(wakeFd, &count, sizeof count);
        woken();
    });
}

EventFdWakeUp::~EventFdWakeUp()
{
    delete notifier;
    ::close(wakeFd);
}

void EventFdWakeUp::raise()
{
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
}

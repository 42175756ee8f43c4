#include "core/hid/HidHandOff.h"

#include <chrono>

#include <sys/eventfd.h>
#include <unistd.h>

HidHandOff::HidHandOff() : wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (wakeFd < 0)
        return; // hand-offs are then served only by waitServing
    notifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        quint64 count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(wakeFd, &count, sizeof count);
        serve();
    });
}

HidHandOff::~HidHandOff()
{
    delete notifier;
    if (wakeFd >= 0)
        ::close(wakeFd);
}

void HidHandOff::run(std::function<void()> work)
{
    std::unique_lock lock(mutex);
    pending = std::move(work);
    served = false;
    // The GUI thread may also serve it directly, from waitServing; then the
    // notifier finds nothing pending.
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    arrived.notify_all();
    done.wait(lock, [this] { return served; });
}

bool HidHandOff::serve()
{
    std::function<void()> work;
    {
        std::lock_guard lock(mutex);
        if (!pending)
            return false;
        work = std::move(pending);
        pending = nullptr;
    }
    ++servingDepth;
    work();
    --servingDepth;
    {
        std::lock_guard lock(mutex);
        served = true;
    }
    done.notify_all();
    return true;
}

void HidHandOff::waitServing(const std::function<bool()> &finished)
{
    while (!finished()) {
        if (serve())
            continue;
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::milliseconds(5), [&] { return bool(pending) || finished(); });
    }
}

bool HidHandOff::waiting()
{
    std::lock_guard lock(mutex);
    return bool(pending);
}

void HidHandOff::wake()
{
    std::lock_guard lock(mutex);
    arrived.notify_all();
}

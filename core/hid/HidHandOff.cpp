#include "core/hid/HidHandOff.h"

#include "core/hid/HidPlatform.h"

#include <chrono>

HidHandOff::HidHandOff(HidPlatform &platform) : wakeUp(platform.wakeUpThisThread([this] { serve(); }))
{}

HidHandOff::~HidHandOff() = default;

void HidHandOff::run(std::function<void()> work)
{
    std::unique_lock lock(mutex);
    pending = std::move(work);
    served = false;
    // The GUI thread may also serve it directly, from waitServing; then the
    // notifier finds nothing pending.
    if (wakeUp)
        wakeUp->raise();
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

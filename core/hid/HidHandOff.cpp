#include "HidHandOff.h"

#include <chrono>

void HidHandOff::run(std::function<void()> work)
{
    std::unique_lock lock(mutex);
    pending = std::move(work);
    served = false;
    // The GUI thread may also serve it directly, from waitServing; then this
    // queued call finds nothing pending.
    QMetaObject::invokeMethod(
        this, [this] { serve(); }, Qt::QueuedConnection);
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

void HidHandOff::wake()
{
    std::lock_guard lock(mutex);
    arrived.notify_all();
}

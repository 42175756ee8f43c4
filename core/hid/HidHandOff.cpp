#include "HidHandOff.h"

#include <QDeadlineTimer>
#include <QThread>

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

void HidHandOff::waitServing(QThread &thread)
{
    while (!thread.wait(QDeadlineTimer(2)))
        serve();
}

#include "core/hid/HidHandOff.h"

#include "core/hid/HidPlatform.h"

#include <algorithm>
#include <utility>

HidHandOff::HidHandOff(HidPlatform &platform, Sink deliver)
    : sink(std::move(deliver)), wakeUp(platform.wakeUpThisThread([this] { serve(); }))
{}

HidHandOff::~HidHandOff()
{
    *alive = false;
}

std::uint64_t HidHandOff::open()
{
    std::lock_guard lock(mutex);
    accepted = ++lastTicket;
    return accepted;
}

void HidHandOff::close()
{
    std::lock_guard lock(mutex);
    accepted = 0;
    std::deque<Delivery> dropped = takeAll();
    for (Delivery &delivery : dropped)
        recycle(delivery);
}

void HidHandOff::closeDelivering()
{
    std::deque<Delivery> waiting;
    {
        std::lock_guard lock(mutex);
        accepted = 0;
        waiting = takeAll();
    }
    deliverAll(waiting);
}

void HidHandOff::postReport(std::uint64_t ticket, const quint8 *report, size_t length)
{
    post(ticket, 0, report, length);
}

void HidHandOff::postError(std::uint64_t ticket, quint32 error)
{
    post(ticket, error, nullptr, 0);
}

void HidHandOff::post(std::uint64_t ticket, quint32 error, const quint8 *report, size_t length)
{
    std::lock_guard lock(mutex);
    if (ticket != accepted || queue.size() >= Capacity)
        return;
    Delivery &delivery = queue.emplace_back();
    delivery.error = error;
    if (!spare.empty()) {
        delivery.report = std::move(spare.back());
        spare.pop_back();
    }
    delivery.report.assign(report, report + length);
    if (woken)
        return; // the GUI thread is on its way and takes this one too
    const Clock::time_point now = Clock::now();
    if (queue.size() == 1)
        firstQueued = now;
    if (error != 0 || now - firstQueued >= BatchAge)
        wakeGuiThread();
}

int HidHandOff::dueIn()
{
    std::lock_guard lock(mutex);
    if (queue.empty() || woken)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(firstQueued + MaxDelay - Clock::now());
    return int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

void HidHandOff::wakeIfDue()
{
    std::lock_guard lock(mutex);
    if (!queue.empty() && !woken && Clock::now() - firstQueued >= MaxDelay)
        wakeGuiThread();
}

void HidHandOff::wakeGuiThread()
{
    woken = true;
    if (wakeUp)
        wakeUp->raise();
}

bool HidHandOff::serve()
{
    std::deque<Delivery> waiting;
    {
        std::lock_guard lock(mutex);
        woken = false;
        waiting = takeAll();
    }
    if (waiting.empty())
        return false;
    deliverAll(waiting);
    return true;
}

size_t HidHandOff::pending()
{
    std::lock_guard lock(mutex);
    return queue.size();
}

std::deque<HidHandOff::Delivery> HidHandOff::takeAll()
{
    std::deque<Delivery> taken;
    taken.swap(queue);
    return taken;
}

void HidHandOff::recycle(Delivery &delivery)
{
    if (spare.size() < SpareBuffers)
        spare.push_back(std::move(delivery.report));
}

// A delivery may stop reading (or stop and start it again) from inside a
// callback: the rest of the batch, read before the stop, is then dropped. It
// may even destroy this object.
void HidHandOff::deliverAll(std::deque<Delivery> &deliveries)
{
    const std::shared_ptr<bool> stillAlive = alive;
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(mutex);
        ticket = accepted;
    }
    ++servingDepth;
    for (Delivery &delivery : deliveries) {
        sink(delivery);
        if (!*stillAlive)
            return;
        std::lock_guard lock(mutex);
        if (accepted != ticket)
            break;
        recycle(delivery);
    }
    --servingDepth;
}

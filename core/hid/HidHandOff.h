#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class HidPlatform;
class HidWakeUp;

// Hands a read thread's input reports and read errors to the GUI thread, in
// the order they were read. The read thread never waits for the GUI thread:
// it queues a copy and reads on. The GUI thread is woken for a batch rather
// than for every report, and never while it is already woken: at once for an
// error; for reports when the next one finds the oldest waiting BatchAge old,
// or, when none comes, MaxDelay after the oldest was read (the read thread's
// wait is cut to dueIn()). So a report reaches the GUI thread at most
// MaxDelay after it was read.
class HidHandOff
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds BatchAge{50};
    static constexpr std::chrono::milliseconds MaxDelay{100};
    // Past this many waiting, new reports are dropped, as the kernel drops
    // them when nobody reads: a GUI thread stuck for minutes does not make
    // the queue grow without end.
    static constexpr size_t Capacity = 16384;

    // One report (its first byte the report ID) or one read error.
    struct Delivery
    {
        quint32 error = 0;
        std::vector<quint8> report;
    };
    using Sink = std::function<void(const Delivery &)>;

    // `deliver` runs on the GUI thread for each delivery.
    HidHandOff(HidPlatform &platform, Sink deliver);
    ~HidHandOff();
    HidHandOff(const HidHandOff &) = delete;
    HidHandOff &operator=(const HidHandOff &) = delete;

    // GUI thread: a read thread starts; its deliveries carry the returned
    // ticket. Any earlier thread's deliveries are refused from now on.
    std::uint64_t open();
    // GUI thread: refuses every thread's deliveries and drops those waiting.
    void close();
    // GUI thread: refuses every thread's deliveries and delivers those
    // waiting (the thread that sent them has ended).
    void closeDelivering();

    // Read thread: queues a report / an error.
    void postReport(std::uint64_t ticket, const quint8 *report, size_t length);
    void postError(std::uint64_t ticket, quint32 error);
    // Read thread: how long the read thread may wait before the reports
    // waiting are due; -1 when none wait unannounced.
    int dueIn();
    // Read thread: wakes the GUI thread if the reports waiting are due.
    void wakeIfDue();

    // GUI thread: delivers everything waiting. True when something was.
    bool serve();
    // GUI thread: whether a delivery is running right now (we are inside it).
    bool serving() const { return servingDepth > 0; }
    // Any thread: how many deliveries wait.
    size_t pending();

private:
    void post(std::uint64_t ticket, quint32 error, const quint8 *report, size_t length);
    void wakeGuiThread(); // with the mutex held
    void deliverAll(std::deque<Delivery> &deliveries);
    std::deque<Delivery> takeAll();   // with the mutex held
    void recycle(Delivery &delivery); // with the mutex held
    static constexpr size_t SpareBuffers = 256;

    Sink sink;
    // Without a wake-up (a platform that has none), deliveries wait for serve().
    std::unique_ptr<HidWakeUp> wakeUp;

    std::mutex mutex;
    std::deque<Delivery> queue;
    std::vector<std::vector<quint8>> spare; // report buffers to reuse: no allocation once warm
    std::uint64_t accepted = 0;             // the ticket whose deliveries are taken; 0: none
    std::uint64_t lastTicket = 0;
    bool woken = false;            // the GUI thread has been woken and has not served yet
    Clock::time_point firstQueued; // when the oldest unannounced delivery was queued
    int servingDepth = 0;          // GUI thread only
    // Whether this object still exists, for a delivery that destroys it.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

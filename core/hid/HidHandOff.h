#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class HidPlatform;
class HidWakeUp;

// Hands work from a read thread to the GUI thread and blocks the read thread
// until it has run. The GUI thread serves it from its event loop, or directly
// while it waits for the read thread to end, so neither side can deadlock.
class HidHandOff : public QObject
{
    Q_OBJECT

public:
    explicit HidHandOff(HidPlatform &platform);
    ~HidHandOff() override;

    // Read thread: runs `work` on the GUI thread; returns when it has run.
    void run(std::function<void()> work);

    // GUI thread: runs the pending work, if any. True when something ran.
    bool serve();
    // Any thread: whether a read thread is waiting for its hand-off to be served.
    bool waiting();
    // GUI thread: whether a hand-off is running right now (we are inside it).
    bool serving() const { return servingDepth > 0; }
    // GUI thread: waits until `finished` answers true, serving hand-offs meanwhile.
    void waitServing(const std::function<bool()> &finished);
    // Any thread: ends a waitServing pause early (a read thread has ended).
    void wake();

private:
    // The read thread wakes the GUI thread through the platform's wake-up:
    // nothing is allocated on the read thread, and every piece of shared data
    // passes through the mutex below. Without one, hand-offs are served only
    // by waitServing.
    std::unique_ptr<HidWakeUp> wakeUp;

    std::mutex mutex;
    std::condition_variable done;
    std::condition_variable arrived; // a hand-off is pending, or a thread ended
    std::function<void()> pending;
    bool served = true;
    int servingDepth = 0; // GUI thread only
};

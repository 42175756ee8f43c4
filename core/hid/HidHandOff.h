#pragma once

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>

class QThread;

// Hands work from a read thread to the GUI thread and blocks the read thread
// until it has run. The GUI thread serves it from its event loop, or directly
// while it waits for the read thread to end, so neither side can deadlock.
class HidHandOff : public QObject
{
    Q_OBJECT

public:
    // Read thread: runs `work` on the GUI thread; returns when it has run.
    void run(std::function<void()> work);

    // GUI thread: runs the pending work, if any. True when something ran.
    bool serve();
    // GUI thread: whether a hand-off is running right now (we are inside it).
    bool serving() const { return servingDepth > 0; }
    // GUI thread: waits until `thread` has ended, serving its hand-offs meanwhile.
    void waitServing(QThread &thread);

private:
    std::mutex mutex;
    std::condition_variable done;
    std::function<void()> pending;
    bool served = true;
    int servingDepth = 0; // GUI thread only
};

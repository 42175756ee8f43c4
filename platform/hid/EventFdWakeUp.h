#pragma once

#include "core/hid/HidPlatform.h"

#include <QObject>

#include <functional>

class QSocketNotifier;

// Wakes the thread that made it through an eventfd watched by a socket
// notifier: raising it allocates nothing and takes no lock, so a read thread
// can raise it for every report.
class EventFdWakeUp : public QObject, public HidWakeUp
{
public:
    // nullptr when the system gives no eventfd.
    static std::unique_ptr<HidWakeUp> create(std::function<void()> woken);
    ~EventFdWakeUp() override;

    void raise() override;

private:
    EventFdWakeUp(int fd, std::function<void()> woken);

    int wakeFd;
    QSocketNotifier *notifier;
    std::function<void()> woken;
};

#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QTimer;

// Puts the core's state on the screen. Parts of the window subscribe what
// brings them up to date; a change asks for a refresh soon, and bursts of
// changes (many reports a second) cause one refresh, at most 25 a second.
// A user's command asks for one now.
class RefreshScheduler : public QObject
{
public:
    explicit RefreshScheduler(QObject *parent = nullptr);

    // Subscribers are brought up to date in the order they subscribed.
    void subscribe(std::function<void()> refresh);
    void schedule();
    void refreshNow();

private:
    QTimer *timer;
    std::vector<std::function<void()>> subscribers;
};

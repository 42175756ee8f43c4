#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <vector>

class QTimer;

// Puts the core's state on the screen. Parts of the window subscribe what
// brings them up to date; a change asks for a refresh soon, and bursts of
// changes (many reports a second) cause one refresh, at most 25 a second.
// Parts that show many rows (the grid, the chart) subscribe capped: they are
// brought up to date at most every CappedInterval, so that rows arriving
// faster than the eye can follow are shown together, and never later than
// CappedInterval after they came. A user's command brings everything up to
// date now.
class RefreshScheduler : public QObject
{
public:
    static constexpr int Interval = 40;        // milliseconds
    static constexpr int CappedInterval = 200; // milliseconds

    explicit RefreshScheduler(QObject *parent = nullptr);

    // Subscribers are brought up to date in the order they subscribed.
    void subscribe(std::function<void()> refresh);
    // `behind` tells whether the part has something new to show.
    void subscribeCapped(std::function<void()> refresh, std::function<bool()> behind);
    void schedule();
    void refreshNow();

private:
    struct Subscriber
    {
        std::function<void()> refresh;
        std::function<bool()> behind; // empty: not capped
    };
    void refreshPass(bool everything);
    bool cappedDue() const;

    QTimer *timer;
    QTimer *cappedTimer; // brings capped parts up to date when no refresh comes
    QElapsedTimer sinceCapped;
    std::vector<Subscriber> subscribers;
};

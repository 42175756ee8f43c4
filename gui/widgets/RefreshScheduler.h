#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <vector>

class QTimer;

// Puts the core's state on the screen. Parts of the window subscribe what
// brings them up to date; a change asks for a refresh, which comes when the
// event loop has handled what is pending, and at most 25 times a second.
// Parts that show many rows (the grid, the chart) subscribe capped: they are
// brought up to date in a refresh at least CappedInterval after their last
// one, so that rows arriving faster than the eye can follow are shown
// together, and at the latest MaxLag after they came. A user's command brings
// everything up to date now.
class RefreshScheduler : public QObject
{
public:
    static constexpr int Interval = 40;        // milliseconds between refreshes
    static constexpr int CappedInterval = 240; // milliseconds between capped ones
    static constexpr int MaxLag = 250;         // milliseconds

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
    static qint64 since(const QElapsedTimer &clock);

    // Both single-shot. `timer` runs the next refresh; `cappedTimer` brings the
    // capped parts up to date when no refresh comes in time.
    QTimer *timer;
    QTimer *cappedTimer;
    QElapsedTimer sinceRefresh;
    QElapsedTimer sinceCapped;
    std::vector<Subscriber> subscribers;
};

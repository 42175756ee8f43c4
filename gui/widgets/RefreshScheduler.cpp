#include "gui/widgets/RefreshScheduler.h"

#include <QTimer>

#include <algorithm>
#include <limits>
#include <utility>

RefreshScheduler::RefreshScheduler(QObject *parent)
    : QObject(parent), timer(new QTimer(this)), cappedTimer(new QTimer(this))
{
    for (QTimer *t : {timer, cappedTimer})
        t->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] { refreshPass(false); });
    connect(cappedTimer, &QTimer::timeout, this, [this] { refreshPass(false); });
}

void RefreshScheduler::subscribe(std::function<void()> refresh)
{
    subscribers.push_back({std::move(refresh), {}});
}

void RefreshScheduler::subscribeCapped(std::function<void()> refresh, std::function<bool()> behind)
{
    subscribers.push_back({std::move(refresh), std::move(behind)});
}

qint64 RefreshScheduler::since(const QElapsedTimer &clock)
{
    return clock.isValid() ? clock.elapsed() : std::numeric_limits<qint64>::max();
}

// A zero timeout runs once the event loop has handled what is pending, in the
// same wake-up: changes that come together are shown together, for free.
void RefreshScheduler::schedule()
{
    if (!timer->isActive())
        timer->start(int(std::clamp<qint64>(Interval - since(sinceRefresh), 0, Interval)));
}

void RefreshScheduler::refreshNow()
{
    refreshPass(true);
}

void RefreshScheduler::refreshPass(bool everything)
{
    timer->stop();
    sinceRefresh.start();
    const bool capped = everything || since(sinceCapped) >= CappedInterval;
    if (capped) {
        cappedTimer->stop();
        sinceCapped.start();
    }
    bool left = false; // a capped part was left behind
    for (const Subscriber &subscriber : subscribers) {
        if (!subscriber.behind || capped)
            subscriber.refresh();
        else
            left = left || subscriber.behind();
    }
    // A later refresh usually takes them along; if none comes, this one does.
    if (left && !cappedTimer->isActive())
        cappedTimer->start(int(std::max<qint64>(MaxLag - since(sinceCapped), 0)));
}

#include "gui/widgets/RefreshScheduler.h"

#include <QTimer>

#include <algorithm>
#include <utility>

RefreshScheduler::RefreshScheduler(QObject *parent)
    : QObject(parent), timer(new QTimer(this)), cappedTimer(new QTimer(this))
{
    for (QTimer *t : {timer, cappedTimer})
        t->setSingleShot(true);
    timer->setInterval(Interval);
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

void RefreshScheduler::schedule()
{
    if (!timer->isActive())
        timer->start();
}

void RefreshScheduler::refreshNow()
{
    refreshPass(true);
}

bool RefreshScheduler::cappedDue() const
{
    return !sinceCapped.isValid() || sinceCapped.elapsed() >= CappedInterval;
}

void RefreshScheduler::refreshPass(bool everything)
{
    timer->stop();
    const bool capped = everything || cappedDue();
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
    if (left && !cappedTimer->isActive())
        cappedTimer->start(int(std::max<qint64>(CappedInterval - sinceCapped.elapsed(), 0)));
}

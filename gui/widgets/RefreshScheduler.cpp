#include "gui/widgets/RefreshScheduler.h"

#include <QTimer>

#include <utility>

RefreshScheduler::RefreshScheduler(QObject *parent) : QObject(parent), timer(new QTimer(this))
{
    timer->setSingleShot(true);
    timer->setInterval(40);
    connect(timer, &QTimer::timeout, this, &RefreshScheduler::refreshNow);
}

void RefreshScheduler::subscribe(std::function<void()> refresh)
{
    subscribers.push_back(std::move(refresh));
}

void RefreshScheduler::schedule()
{
    if (!timer->isActive())
        timer->start();
}

void RefreshScheduler::refreshNow()
{
    timer->stop();
    for (const std::function<void()> &refresh : subscribers)
        refresh();
}

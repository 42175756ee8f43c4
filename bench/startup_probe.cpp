// The program's start, to its first painted frame: prints the milliseconds
// to the main window's first paint ("window"), or to a bare QWidget's of the
// same size ("bare"), then exits; counted from the moment in
// MX840_EXEC_NS (nanoseconds since the epoch, set just before the exec) when
// given, else from main(). bench/startup.sh runs both in turns and gives the
// medians. Run under xvfb-run. Built a second time as startup_bare, with the
// bare window only and no library of ours.
#ifndef MX840_BARE_ONLY
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "platform/HostPlatform.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

// Reports the first paint of a widget and ends the run.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer &clock) : started(clock) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            // Once this paint is done, and the frame is on its way to the screen.
            QTimer::singleShot(0, [this] {
                std::printf("%.1f\n", double(sinceStart()) / 1e6);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    qint64 sinceStart() const
    {
        bool given = false;
        const qint64 exec = qEnvironmentVariable("MX840_EXEC_NS").toLongLong(&given);
        if (!given)
            return started.nsecsElapsed();
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec - exec;
    }

    const QElapsedTimer &started;
    bool seen = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
#ifdef MX840_BARE_ONLY
    const bool bare = true;
#else
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
#endif
    QApplication application(argc, argv);
    FirstPaint firstPaint(clock);
    if (bare) {
        QWidget window;
        window.resize(687, 511);
        window.installEventFilter(&firstPaint);
        window.show();
        return QApplication::exec();
    }
#ifndef MX840_BARE_ONLY
    QString error;
    const std::unique_ptr<HostPlatform> host = HostPlatform::create(true, QString(), &error);
    Windows windows(host->hid());
    windows.FrmTest->installEventFilter(&firstPaint);
    windows.FrmTest->show();
    return QApplication::exec();
#endif
}

#include "platform/signals/InterruptibleInput.h"

#include "platform/signals/TerminationSignals.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

InterruptibleInput::InterruptibleInput(const QString &fileName) : name(fileName)
{}

InterruptibleInput::~InterruptibleInput()
{
    close();
}

bool InterruptibleInput::openInput()
{
    // Not blocking in open(): a FIFO with no writer yet is waited for in poll(),
    // where a signal can end the wait.
    fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setErrorString(qt_error_string(errno));
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return open(QIODevice::ReadOnly);
}

void InterruptibleInput::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    QIODevice::close();
}

bool InterruptibleInput::waitForInput()
{
    pollfd watched[2] = {{fd, POLLIN, 0}, {TerminationSignalDescriptor(), POLLIN, 0}};
    const nfds_t count = watched[1].fd >= 0 ? 2 : 1;
    bool announced = false;
    for (;;) {
        const int ready = ::poll(watched, count, announced ? -1 : 0);
        if (ready < 0 && errno != EINTR)
            return true; // the read says what is wrong
        if (count == 2 && (watched[1].revents & POLLIN))
            return false;
        if (ready > 0 && watched[0].revents)
            return true;
        if (!announced && beforeWaiting)
            beforeWaiting();
        announced = true;
    }
}

qint64 InterruptibleInput::readData(char *data, qint64 maxSize)
{
    if (stopped || !waitForInput()) {
        stopped = true;
        return 0;
    }
    for (;;) {
        const ssize_t n = ::read(fd, data, size_t(maxSize));
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            readFailed = true;
            setErrorString(qt_error_string(errno));
            return -1;
        }
    }
}

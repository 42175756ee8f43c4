#pragma once

#include <QIODevice>
#include <QString>

#include <functional>

// A file, pipe or terminal read to its end, or until a termination signal
// arrives (WatchTerminationSignals), which ends the input as its end would.
// Whenever the input has nothing to give at once, `beforeWaiting` runs first,
// so that what was made of the input so far can be put in safety.
class InterruptibleInput : public QIODevice
{
public:
    explicit InterruptibleInput(const QString &fileName);
    ~InterruptibleInput() override;

    // Opens the file without waiting for a FIFO's writer; false with the
    // system's reason in errorString().
    bool openInput();
    bool interrupted() const { return stopped; }
    // Whether a read failed; errorString() says why.
    bool failed() const { return readFailed; }
    bool isSequential() const override { return true; }
    void close() override;

    std::function<void()> beforeWaiting;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Waits until the input can be read; false when a signal came first.
    bool waitForInput();

    QString name;
    int fd = -1;
    bool stopped = false;
    bool readFailed = false;
};

#include "core/hid/HidControllerClass.h"

#include <algorithm>

THidDeviceReadThread::THidDeviceReadThread(THidDevice &device, int inputReportLength)
    : Device(device), Report(size_t(qMax(inputReportLength, 1)))
{}

THidDeviceReadThread::~THidDeviceReadThread()
{
    requestStop();
    if (worker.joinable())
        worker.join();
}

void THidDeviceReadThread::start()
{
    worker = std::thread([this] {
        run();
        finished = true;
        Device.handOff().wake();
    });
}

void THidDeviceReadThread::requestStop()
{
    terminate = true;
    std::lock_guard lock(handleMutex);
    if (current)
        current->interruptWait();
    stopped.notify_all();
}

bool THidDeviceReadThread::waitSlice(HidFile &handle)
{
    while (!stopRequested()) {
        if (handle.waitRead(Device.ThreadSleepTime()) == HidFile::Wait::Completed)
            return true;
    }
    return false;
}

// After a failed read the loop waits one slice before it tries again, so that
// a device that stays unreadable does not flood the GUI thread with errors.
void THidDeviceReadThread::pauseAfterError()
{
    std::unique_lock lock(handleMutex);
    stopped.wait_for(lock, std::chrono::milliseconds(Device.ThreadSleepTime()), [this] { return stopRequested(); });
}

void THidDeviceReadThread::run()
{
    HidHandle handle;
    bool readEnded = true;
    while (!stopRequested()) {
        std::fill(Report.begin(), Report.end(), 0);
        quint32 error = 0;
        handle = Device.BeginRead(Report.data(), int(Report.size()), error);
        if (!handle) {
            LastError = error;
            Device.handOff().run([this] { DeliverError(); });
            pauseAfterError();
            continue;
        }
        {
            std::lock_guard lock(handleMutex);
            current = handle;
        }
        readEnded = waitSlice(*handle);
        if (!readEnded)
            break;
        BytesRead = quint32(handle->readResult());
        if (BytesRead > 0) {
            Device.handOff().run([this] { DeliverReport(); });
        } else if (const int readError = handle->readError()) {
            LastError = quint32(readError);
            Device.handOff().run([this] { DeliverError(); });
            pauseAfterError();
        }
    }
    if (handle && !readEnded)
        handle->cancelRead();
    std::lock_guard lock(handleMutex);
    current.reset();
}

void THidDeviceReadThread::DeliverReport()
{
    if (const THidDataEvent &onData = Device.OnData())
        onData(&Device, Report[0], Report.data() + 1, quint16(BytesRead - 1));
}

void THidDeviceReadThread::DeliverError()
{
    if (Device.OnDataError)
        Device.OnDataError(&Device, LastError);
}

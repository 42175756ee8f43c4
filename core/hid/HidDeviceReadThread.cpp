#include "core/hid/HidControllerClass.h"

#include <algorithm>

THidDeviceReadThread::THidDeviceReadThread(THidDevice &device, int inputReportLength, std::uint64_t ticket)
    : Device(device), Report(size_t(qMax(inputReportLength, 1))), Ticket(ticket)
{}

THidDeviceReadThread::~THidDeviceReadThread()
{
    requestStop();
    if (worker.joinable())
        worker.join();
}

void THidDeviceReadThread::start()
{
    worker = std::thread([this] { run(); });
}

void THidDeviceReadThread::requestStop()
{
    terminate = true;
    std::lock_guard lock(handleMutex);
    if (current)
        current->interruptWait();
    stopped.notify_all();
}

// A wait is cut short when reports handed over wait for the GUI thread to be
// woken: they are due before the slice ends.
bool THidDeviceReadThread::waitSlice(HidFile &handle)
{
    HidHandOff &handOff = Device.handOff();
    while (!stopRequested()) {
        const int slice = Device.ThreadSleepTime();
        const int due = handOff.dueIn();
        if (handle.waitRead(due < 0 ? slice : qMin(slice, due)) == HidFile::Wait::Completed)
            return true;
        handOff.wakeIfDue();
    }
    return false;
}

// After a failed read the loop waits one slice before it tries again, so that
// a device that stays unreadable does not flood the GUI thread with errors.
void THidDeviceReadThread::pauseAfterError()
{
    pause(std::chrono::milliseconds(Device.ThreadSleepTime()));
}

void THidDeviceReadThread::pause(std::chrono::milliseconds time)
{
    std::unique_lock lock(handleMutex);
    stopped.wait_for(lock, time, [this] { return stopRequested(); });
}

// While reports come, the loop takes every report the system holds, then
// pauses for as long as the hand-off gathers a batch: one wake-up of this
// thread serves several reports (the system keeps them meanwhile). When none
// come, it waits for the next one in slices.
void THidDeviceReadThread::run()
{
    HidHandle handle;
    bool outstanding = false; // a read was started and has not ended
    bool gathering = false;
    while (!stopRequested()) {
        std::fill(Report.begin(), Report.end(), 0);
        quint32 error = 0;
        handle = Device.BeginRead(Report.data(), int(Report.size()), error);
        if (!handle) {
            LastError = error;
            Device.handOff().postError(Ticket, LastError);
            gathering = false;
            pauseAfterError();
            continue;
        }
        {
            std::lock_guard lock(handleMutex);
            current = handle;
        }
        outstanding = true;
        if (gathering) {
            if (handle->waitRead(0) != HidFile::Wait::Completed) {
                gathering = false;
                pause(HidHandOff::BatchAge);
                continue;
            }
        } else if (!waitSlice(*handle)) {
            break;
        }
        outstanding = false;
        BytesRead = quint32(handle->readResult());
        if (BytesRead > 0) {
            Device.handOff().postReport(Ticket, Report.data(), qMin(size_t(BytesRead), Report.size()));
            gathering = true;
        } else if (const int readError = handle->readError()) {
            LastError = quint32(readError);
            Device.handOff().postError(Ticket, LastError);
            gathering = false;
            pauseAfterError();
        }
    }
    if (handle && outstanding)
        handle->cancelRead();
    std::lock_guard lock(handleMutex);
    current.reset();
}

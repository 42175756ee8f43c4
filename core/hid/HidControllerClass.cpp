#include "core/hid/HidControllerClass.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>

namespace {

// One controller per program.
std::atomic<int> controllerCount{0};

constexpr int kStringUnits = 254; // 508 bytes
constexpr int kMinSleep = 10;
constexpr int kMaxSleep = 10000;

QString textUpToZero(const std::array<char16_t, kStringUnits> &units)
{
    int length = 0;
    while (length < kStringUnits && units[length] != 0)
        ++length;
    return QString::fromUtf16(units.data(), length);
}

// Length of a language identifier list written over a buffer of 0xFFFF words:
// the last word that was written ends it; a written 0 is not part of it.
int languageListLength(const std::array<char16_t, kStringUnits> &words)
{
    for (int i = kStringUnits - 1; i >= 0; --i) {
        if (words[i] != 0xFFFF)
            return words[i] == 0 ? i : i + 1;
    }
    return 0;
}

} // namespace

// ---------------------------------------------------------------- read thread

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

// --------------------------------------------------------------------- device

THidDevice::THidDevice(std::unique_ptr<THidPnPInfo> pnpInfo, THidDeviceController *controller, HidPlatform &hidPlatform)
    : Controller(controller)
    , platform(hidPlatform)
    , pnp(std::move(pnpInfo))
    , handOffToGui(std::make_unique<HidHandOff>())
{
    if (Controller) {
        setOnData(Controller->OnDeviceData());
        OnUnplug = Controller->OnDeviceUnplug();
    }
    HidHandle handle = platform.open(pnp->DevicePath, HidAccess::ReadWrite, &ReadWriteOpenError);
    ReadWriteAccess = bool(handle);
    if (!handle)
        handle = platform.open(pnp->DevicePath, HidAccess::QueryOnly);
    if (!handle)
        throw EControllerError("device cannot be opened");
    const bool identified = handle->getAttributes(Attributes);
    handle->shutdown();
    if (!identified)
        throw EControllerError("device cannot be identified");
}

THidDevice::~THidDevice()
{
    joinRetiredThread();
    const THidDataEvent data = onData;
    const THidPlugEvent unplug = OnUnplug;
    setOnData({});
    OnUnplug = {};
    CloseControl();
    CloseRead();
    preparsed.reset();

    if (!Controller)
        return;
    const qsizetype position = Controller->DeviceList.indexOf(this);
    if (position < 0)
        return;
    if (!PluggedIn) {
        Controller->DeviceList.removeAt(position);
        return;
    }
    // Check-in: a fresh object for the same interface takes this one's place.
    // If the interface can no longer be opened, it simply leaves the list.
    try {
        auto *fresh = new THidDevice(std::move(pnp), Controller, platform);
        fresh->setOnData(data);
        fresh->OnUnplug = unplug;
        fresh->setThreadSleepTime(ThreadSleepTime());
        Controller->DeviceList[position] = fresh;
    } catch (const EControllerError &) {
        Controller->DeviceList.removeAt(position);
    }
}

bool THidDevice::CanAccess() const
{
    return PluggedIn && (CheckedOut || InCallback);
}

bool THidDevice::OpenControl()
{
    if (CanAccess() && !ControlHandle) {
        ReadWriteOpenError = 0;
        ControlHandle = platform.open(pnp->DevicePath, HidAccess::ReadWrite, &ReadWriteOpenError);
        ReadWriteAccess = bool(ControlHandle);
        if (!ControlHandle)
            ControlHandle = platform.open(pnp->DevicePath, HidAccess::QueryOnly);
    }
    return bool(ControlHandle);
}

void THidDevice::CloseControl()
{
    if (ControlHandle) {
        ControlHandle->shutdown();
        ControlHandle.reset();
    }
}

// The read thread holds its own reference to the handle; shutting it down wakes
// the thread, and the file is released when the thread lets go of it.
void THidDevice::CloseRead()
{
    std::lock_guard lock(readHandleMutex);
    if (ReadHandle) {
        ReadHandle->shutdown();
        ReadHandle.reset();
    }
}

void THidDevice::MarkUnplugged()
{
    CloseControl();
    CloseRead();
    PluggedIn = false;
    if (OnUnplug)
        OnUnplug(this);
    OnUnplug = {};
}

void THidDevice::setThreadSleepTime(int milliseconds)
{
    if (milliseconds >= kMinSleep && milliseconds <= kMaxSleep)
        threadSleepTime = milliseconds;
}

HidPreparsedHandle THidDevice::PreparsedData()
{
    if (!preparsed && OpenControl()) {
        preparsed = ControlHandle->getPreparsedData();
        CloseControl();
    }
    return preparsed;
}

HidCaps THidDevice::Capabilities()
{
    const HidPreparsedHandle data = PreparsedData();
    return data ? data->caps() : HidCaps{};
}

QString THidDevice::readString(bool (HidFile::*query)(char16_t *, int), QString &cache)
{
    if (!cache.isEmpty() || !OpenControl())
        return cache;
    std::array<char16_t, kStringUnits> units{};
    if (((*ControlHandle).*query)(units.data(), kStringUnits))
        cache = textUpToZero(units);
    CloseControl();
    return cache;
}

QString THidDevice::ProductName()
{
    return readString(&HidFile::getProductString, productName);
}

// A device that answers the serial number request with its language list (or
// has an empty list) has no serial number.
QString THidDevice::SerialNumber()
{
    if (!serialNumber.isEmpty() || !OpenControl())
        return serialNumber;
    std::array<char16_t, kStringUnits> serial{};
    if (ControlHandle->getSerialNumberString(serial.data(), kStringUnits)) {
        std::array<char16_t, kStringUnits> languages;
        languages.fill(0xFFFF);
        ControlHandle->getIndexedString(0, languages.data(), kStringUnits);
        const int n = languageListLength(languages);
        for (int i = 0; i < n; ++i) {
            if (serial[i] != languages[i]) {
                serialNumber = textUpToZero(serial);
                break;
            }
        }
    }
    CloseControl();
    return serialNumber;
}

bool THidDevice::SendFeature(const quint8 *report, int length)
{
    return OpenControl() && ControlHandle->setFeature(report, length);
}

void THidDevice::setOnData(const THidDataEvent &callback)
{
    if (!callback)
        StopReading();
    onData = callback;
    StartReading();
}

void THidDevice::StartReading()
{
    joinRetiredThread();
    if (!onData || !PluggedIn || !CheckedOut || !ReadWriteAccess || readThread)
        return;
    readThread = std::make_unique<THidDeviceReadThread>(*this, Capabilities().InputReportByteLength);
    readThread->start();
}

// The read file is closed too: nothing is woken by reports nobody reads,
// and a later start does not begin with the reports that queued up meanwhile
// (the read thread opens the file again).
void THidDevice::StopReading()
{
    if (!readThread)
        return;
    std::unique_ptr<THidDeviceReadThread> thread = std::move(readThread);
    thread->requestStop();
    if (handOffToGui->serving()) {
        // Stopped from inside one of this device's own callbacks: the thread
        // ends when that callback returns.
        joinRetiredThread();
        retiredThread = std::move(thread);
        CloseRead();
        return;
    }
    handOffToGui->waitServing([&thread] { return thread->ended(); });
    CloseRead();
}

void THidDevice::joinRetiredThread()
{
    if (retiredThread && !handOffToGui->serving()) {
        handOffToGui->waitServing([this] { return retiredThread->ended(); });
        retiredThread.reset();
    }
}

HidHandle THidDevice::BeginRead(quint8 *buffer, int length, quint32 &error)
{
    HidHandle handle;
    {
        std::lock_guard lock(readHandleMutex);
        if (!CanAccess()) {
            error = ENODEV;
            return {};
        }
        if (!ReadHandle) {
            int openError = 0;
            ReadHandle = platform.open(pnp->DevicePath, HidAccess::ReadOverlapped, &openError);
            if (!ReadHandle) {
                error = quint32(openError);
                return {};
            }
        }
        handle = ReadHandle;
    }
    if (const int startError = handle->beginRead(buffer, length)) {
        error = quint32(startError);
        return {};
    }
    return handle;
}

// ----------------------------------------------------------------- controller

THidDeviceController::THidDeviceController(HidPlatform &hidPlatform, QObject *owner)
    : QObject(owner), platform(hidPlatform)
{
    if (platform.BindSetupApi())
        platform.BindHid();
    if (++controllerCount > 1) {
        // The refused instance leaves the bindings of the existing one in place.
        --controllerCount;
        platform.UnbindSetupApi();
        throw EControllerError("Only one THidDeviceController allowed per program");
    }
    counted = true;
    DeviceList = ScanInterfaces();
    if (platform.HidBound())
        platform.watchDeviceChanges([this] { DeviceChange(); });
}

THidDeviceController::~THidDeviceController()
{
    if (counted)
        --controllerCount;
    onDeviceChange = {};
    onDeviceUnplug = {};
    OnEnumerate = {};
    if (platform.HidBound())
        platform.stopWatchingDeviceChanges();
    const QList<THidDevice *> devices = DeviceList;
    DeviceList.clear();
    for (THidDevice *device : devices) {
        device->Controller = nullptr;
        if (device->CheckedOut)
            device->MarkUnplugged(); // left to its holder
        else
            delete device;
    }
    platform.UnbindHid();
    platform.UnbindSetupApi();
}

QList<THidDevice *> THidDeviceController::ScanInterfaces()
{
    QList<THidDevice *> scan;
    if (!platform.HidBound())
        return scan;
    const std::optional<QList<HidInterfaceInfo>> present = platform.presentInterfaces();
    if (!present)
        return scan;
    for (const HidInterfaceInfo &info : *present) {
        try {
            scan.append(new THidDevice(std::make_unique<THidPnPInfo>(info), this, platform));
        } catch (const EControllerError &) {
            // left out; tried again at the next scan
        }
    }
    return scan;
}

bool THidDeviceController::isPresent(const THidDevice *device, const QList<THidDevice *> &scan) const
{
    if (!device->PluggedIn)
        return false;
    return std::any_of(scan.begin(), scan.end(), [device](const THidDevice *found) {
        return found->PnPInfo().InstanceId == device->PnPInfo().InstanceId;
    });
}

void THidDeviceController::DeviceChange()
{
    QList<THidDevice *> fresh = ScanInterfaces();
    bool changed = false;

    for (qsizetype i = DeviceList.size() - 1; i >= 0; --i) {
        THidDevice *device = DeviceList[i];
        if (isPresent(device, fresh))
            continue;
        device->MarkUnplugged();
        FireRemoval(device);
        if (!device->CheckedOut) {
            DeviceList.removeAt(i);
            delete device;
        }
        changed = true;
    }

    for (qsizetype i = 0; i < fresh.size();) {
        THidDevice *candidate = fresh[i];
        const bool known = std::any_of(DeviceList.begin(), DeviceList.end(), [candidate](const THidDevice *d) {
            return d->PluggedIn && d->PnPInfo().InstanceId == candidate->PnPInfo().InstanceId;
        });
        if (known) {
            candidate->Controller = nullptr;
            delete candidate;
            fresh.removeAt(i);
        } else {
            ++i;
        }
    }

    for (THidDevice *arrival : fresh) {
        DeviceList.append(arrival);
        changed = true;
        FireArrival(arrival);
    }

    if (changed || !ChangeNotified)
        FireDeviceChange();
}

int THidDeviceController::Enumerate()
{
    int count = 0;
    for (qsizetype i = 0; i < DeviceList.size(); ++i) {
        THidDevice *device = DeviceList[i];
        if (!device->PluggedIn)
            continue;
        ++count;
        if (!FireEnumerate(device, int(i)))
            break;
    }
    return count;
}

THidDevice *THidDeviceController::CheckOutAt(int index)
{
    if (index < 0 || index >= DeviceList.size() || DeviceList[index]->CheckedOut)
        return nullptr;
    THidDevice *device = DeviceList[index];
    device->CheckedOut = true;
    device->StartReading();
    return device;
}

void THidDeviceController::FireArrival(THidDevice *device)
{
    if (!OnArrival)
        return;
    device->InCallback = true;
    OnArrival(device);
    device->InCallback = false;
}

void THidDeviceController::FireRemoval(THidDevice *device)
{
    if (!OnRemoval)
        return;
    device->InCallback = true;
    OnRemoval(device);
    device->InCallback = false;
}

bool THidDeviceController::FireEnumerate(THidDevice *device, int index)
{
    if (!OnEnumerate)
        return false;
    device->InCallback = true;
    const bool goOn = OnEnumerate(device, index);
    device->InCallback = false;
    if (!device->CheckedOut) {
        device->CloseControl();
        device->CloseRead();
    }
    return goOn;
}

void THidDeviceController::FireDeviceChange()
{
    if (onDeviceChange)
        onDeviceChange(this);
}

void THidDeviceController::setDevThreadSleepTime(int milliseconds)
{
    if (milliseconds == devThreadSleepTime)
        return;
    for (THidDevice *device : DeviceList) {
        if (device->ThreadSleepTime() == devThreadSleepTime)
            device->setThreadSleepTime(milliseconds);
    }
    devThreadSleepTime = milliseconds;
}

void THidDeviceController::setOnDeviceChange(const TNotifyEvent &callback)
{
    if (callback.sameCode(onDeviceChange))
        return;
    onDeviceChange = callback;
    DeviceChange();
    ChangeNotified = true;
}

void THidDeviceController::setOnDeviceData(const THidDataEvent &callback)
{
    if (callback.sameCode(onDeviceData))
        return;
    for (THidDevice *device : DeviceList) {
        if (device->OnData().sameCode(onDeviceData))
            device->setOnData(callback);
    }
    onDeviceData = callback;
}

void THidDeviceController::setOnDeviceDataError(const THidDataErrorEvent &callback)
{
    if (callback.sameCode(onDeviceDataError))
        return;
    for (THidDevice *device : DeviceList) {
        if (device->OnDataError.sameCode(onDeviceDataError))
            device->OnDataError = callback;
    }
    onDeviceDataError = callback;
}

void THidDeviceController::setOnDeviceUnplug(const THidPlugEvent &callback)
{
    if (callback.sameCode(onDeviceUnplug))
        return;
    for (THidDevice *device : DeviceList) {
        if (device->OnUnplug.sameCode(onDeviceUnplug))
            device->OnUnplug = callback;
    }
    onDeviceUnplug = callback;
}

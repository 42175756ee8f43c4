#include "core/hid/HidControllerClass.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

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

THidDevice::THidDevice(std::unique_ptr<THidPnPInfo> pnpInfo, THidDeviceController *controller, HidPlatform &hidPlatform)
    : Controller(controller)
    , platform(hidPlatform)
    , pnp(std::move(pnpInfo))
    , handOffToGui(std::make_unique<HidHandOff>(hidPlatform,
                                                [this](const HidHandOff::Delivery &delivery) { deliver(delivery); }))
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
    if (!onData || !PluggedIn || !CheckedOut || !ReadWriteAccess || readThread)
        return;
    readThread =
        std::make_unique<THidDeviceReadThread>(*this, Capabilities().InputReportByteLength, handOffToGui->open());
    readThread->start();
}

// The read thread never waits for the GUI thread, so it ends at once, even
// when stopped from inside one of its own callbacks. What it handed over is
// still delivered, unless the stop comes from a callback: then the rest of
// that batch is dropped with it.
// The read file is closed too: nothing is woken by reports nobody reads,
// and a later start does not begin with the reports that queued up meanwhile
// (the read thread opens the file again).
void THidDevice::StopReading()
{
    if (!readThread)
        return;
    readThread->requestStop();
    readThread.reset();
    if (handOffToGui->serving())
        handOffToGui->close();
    else
        handOffToGui->closeDelivering();
    CloseRead();
}

void THidDevice::deliver(const HidHandOff::Delivery &delivery)
{
    if (delivery.error != 0) {
        if (OnDataError)
            OnDataError(this, delivery.error);
    } else if (onData && !delivery.report.empty()) {
        onData(this, delivery.report[0], delivery.report.data() + 1, quint16(delivery.report.size() - 1));
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

#pragma once

#include "core/hid/HidCallback.h"
#include "core/hid/HidHandOff.h"
#include "core/hid/HidPlatform.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

class THidDevice;
class THidDeviceController;

// The HID layer's only exception: a device object that cannot be built, or a
// second controller.
class EControllerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

using THidDataEvent = HidCallback<void(THidDevice *HidDev, quint8 ReportID, const quint8 *Data, quint16 Size)>;
using THidDataErrorEvent = HidCallback<void(THidDevice *HidDev, quint32 Error)>;
using THidPlugEvent = HidCallback<void(THidDevice *HidDev)>;
using THidEnumerateEvent = HidCallback<bool(THidDevice *HidDev, int Idx)>;
using TNotifyEvent = HidCallback<void(QObject *Sender)>;

// The plug-and-play identity of one interface.
class THidPnPInfo
{
public:
    explicit THidPnPInfo(const HidInterfaceInfo &info) : InstanceId(info.instanceId), DevicePath(info.devicePath) {}

    const quint32 InstanceId;
    const QByteArray DevicePath;
};

// Reads one device's input reports on a thread of its own and hands each one,
// and each read error, to the GUI thread (see HidHandOff), under its ticket.
class THidDeviceReadThread
{
public:
    THidDeviceReadThread(THidDevice &device, int inputReportLength, std::uint64_t ticket);
    ~THidDeviceReadThread(); // joins the thread
    THidDeviceReadThread(const THidDeviceReadThread &) = delete;
    THidDeviceReadThread &operator=(const THidDeviceReadThread &) = delete;

    void start();
    // GUI thread: asks the loop to end; a wait in progress ends at once.
    void requestStop();

    quint32 LastError = 0;
    quint32 BytesRead = 0;

private:
    void run(); // the read loop
    bool stopRequested() const { return terminate.load(); }
    // Waits one slice for the read to end; false when a stop was requested.
    bool waitSlice(HidFile &handle);
    void pauseAfterError();
    void pause(std::chrono::milliseconds time); // ends early on a stop request

    THidDevice &Device;
    std::vector<quint8> Report;
    const std::uint64_t Ticket;
    std::atomic<bool> terminate{false};
    std::thread worker;
    std::mutex handleMutex;
    std::condition_variable stopped;
    HidHandle current; // the handle the loop is reading, for requestStop
};

// One HID interface with its attributes, strings and capabilities, feature
// reports and, while held and given a data callback, a read thread.
class THidDevice
{
public:
    // Opens the interface to read its attributes; raises EControllerError
    // "device cannot be opened" or "device cannot be identified".
    THidDevice(std::unique_ptr<THidPnPInfo> pnpInfo, THidDeviceController *controller, HidPlatform &platform);
    // Stops reading and closes; a device its controller still lists is checked
    // in: replaced by a fresh object while the interface is present.
    ~THidDevice();
    THidDevice(const THidDevice &) = delete;
    THidDevice &operator=(const THidDevice &) = delete;

    bool CanAccess() const;
    bool OpenControl();
    void CloseControl();
    void CloseRead();
    void MarkUnplugged();

    int ThreadSleepTime() const { return threadSleepTime.load(); }
    void setThreadSleepTime(int milliseconds); // 10..10000, others ignored

    HidPreparsedHandle PreparsedData();
    HidCaps Capabilities();
    QString ProductName();
    QString SerialNumber();
    bool SendFeature(const quint8 *report, int length);

    const THidDataEvent &OnData() const { return onData; }
    void setOnData(const THidDataEvent &callback);
    void StartReading();
    void StopReading();

    // Read thread: starts a read on the read handle; the handle to wait on, or
    // nullptr with the error in `error`.
    HidHandle BeginRead(quint8 *buffer, int length, quint32 &error);

    const THidPnPInfo &PnPInfo() const { return *pnp; }
    THidDeviceReadThread *ReadThread() const { return readThread.get(); }
    HidHandOff &handOff() { return *handOffToGui; }

    THidDeviceController *Controller = nullptr;
    std::atomic<bool> PluggedIn{true};
    std::atomic<bool> CheckedOut{false};
    std::atomic<bool> InCallback{false};
    HidAttributes Attributes;
    bool ReadWriteAccess = false;
    int ReadWriteOpenError = 0; // why the last read-write opening failed (EACCES: no permission)
    THidDataErrorEvent OnDataError;
    THidPlugEvent OnUnplug;

private:
    QString readString(bool (HidFile::*query)(char16_t *, int), QString &cache);

    HidPlatform &platform;
    std::unique_ptr<THidPnPInfo> pnp;
    HidHandle ControlHandle;
    std::mutex readHandleMutex;
    HidHandle ReadHandle;
    HidPreparsedHandle preparsed;
    QString productName;
    QString serialNumber;
    std::atomic<int> threadSleepTime{100};
    THidDataEvent onData;
    std::unique_ptr<HidHandOff> handOffToGui;
    std::unique_ptr<THidDeviceReadThread> readThread;
    void deliver(const HidHandOff::Delivery &delivery); // GUI thread
};

// Keeps one device per present HID interface, follows arrivals and removals,
// and hands devices out by check-out. One per program.
class THidDeviceController : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *VersionText = "1.0.22";

    explicit THidDeviceController(HidPlatform &platform, QObject *owner = nullptr);
    ~THidDeviceController() override;

    void DeviceChange();
    int Enumerate();
    // The device at `index`, now checked out; nullptr when out of range or held.
    THidDevice *CheckOutAt(int index);

    void setDevThreadSleepTime(int milliseconds);
    QString Version() const { return QString::fromLatin1(VersionText); }
    void setVersion(const QString &) {}

    THidPlugEvent OnArrival;
    THidPlugEvent OnRemoval;
    THidEnumerateEvent OnEnumerate;
    void setOnDeviceChange(const TNotifyEvent &callback);
    const THidDataEvent &OnDeviceData() const { return onDeviceData; }
    void setOnDeviceData(const THidDataEvent &callback);
    void setOnDeviceDataError(const THidDataErrorEvent &callback);
    const THidPlugEvent &OnDeviceUnplug() const { return onDeviceUnplug; }
    void setOnDeviceUnplug(const THidPlugEvent &callback);

    bool ChangeNotified = false;
    QList<THidDevice *> DeviceList;

private:
    QList<THidDevice *> ScanInterfaces();
    void FireArrival(THidDevice *device);
    void FireRemoval(THidDevice *device);
    bool FireEnumerate(THidDevice *device, int index);
    void FireDeviceChange();
    bool isPresent(const THidDevice *device, const QList<THidDevice *> &scan) const;

    HidPlatform &platform;
    bool counted = false;
    int devThreadSleepTime = 100;
    TNotifyEvent onDeviceChange;
    THidDataEvent onDeviceData;
    THidDataErrorEvent onDeviceDataError;
    THidPlugEvent onDeviceUnplug;
};

#include "core/hid/HidControllerClass.h"

#include <QtGlobal>

#include <algorithm>
#include <optional>

namespace {

// One controller per program.
std::atomic<int> controllerCount{0};

} // namespace

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

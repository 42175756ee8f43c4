#pragma once

#include "core/hid/HidPlatform.h"
#include "platform/hid/Libudev.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QSocketNotifier;

// The HID platform on Linux: interfaces are the "hidraw" devices that libudev
// lists; attributes and strings come from their hid and USB parents in sysfs,
// the capabilities from the report descriptor; reports are read from the
// hidraw node with poll(), feature reports written with HIDIOCSFEATURE.
//
// Decisions:
// - Instance number: the sequence number the kernel gives each HID device (the
//   part after the dot of the hid parent's name, "0003:1234:5678.001A"); it
//   stays while the device is present and is new after a replug.
// - Report-ID byte: reports are always handed up with the report ID first.
//   For an interface that does not number its reports, hidraw reads carry no
//   ID, so a 0 is put in front; report lengths count that byte.
// - Query-only access needs no file: attributes and strings come from sysfs,
//   so a device the user may not open is still listed by name.
class LinuxHidPlatform : public QObject, public HidPlatform
{
    Q_OBJECT

public:
    explicit LinuxHidPlatform(QByteArray libudevFile = "libudev.so.1", QObject *parent = nullptr);
    ~LinuxHidPlatform() override;

    bool BindSetupApi() override { return libudev.BindSetupApi(); }
    void UnbindSetupApi() override;
    bool BindHid() override { return libudev.BindHid(); }
    void UnbindHid() override;
    bool HidBound() const override { return libudev.HidBound(); }

    std::optional<QList<HidInterfaceInfo>> presentInterfaces() override;
    HidHandle open(const QByteArray &devicePath, HidAccess access, int *error = nullptr) override;
    void watchDeviceChanges(std::function<void()> changed) override;
    void stopWatchingDeviceChanges() override;
    std::unique_ptr<HidWakeUp> wakeUpThisThread(std::function<void()> woken) override;

    // What sysfs says about one interface.
    struct Description
    {
        HidAttributes attributes;
        QString product;
        QString serial;
        HidCaps caps;
        bool numberedReports = false;
    };

private:
    void onMonitorReadable();
    void releaseContext();

    Libudev libudev;
    udev *context = nullptr;
    // By device node. Read threads open their nodes while the GUI thread scans.
    QHash<QByteArray, std::shared_ptr<const Description>> descriptions;
    mutable std::mutex descriptionsMutex;
    udev_monitor *monitor = nullptr;
    std::unique_ptr<QSocketNotifier> monitorNotifier;
    std::function<void()> onChange;
};

#pragma once

#include "platform/modules/ModuleLoader.h"

#include <QByteArray>

// The parts of libudev the Linux HID backend uses, bound by name at run time,
// all entry points or none: the enumeration binding (with a use count) and the
// device binding (attributes, parents and the hot-plug monitor).

struct udev;
struct udev_device;
struct udev_enumerate;
struct udev_list_entry;
struct udev_monitor;

struct UdevEnumerationApi
{
    udev *(*udev_new)(void);
    udev *(*udev_unref)(udev *);
    udev_enumerate *(*udev_enumerate_new)(udev *);
    int (*udev_enumerate_add_match_subsystem)(udev_enumerate *, const char *);
    int (*udev_enumerate_scan_devices)(udev_enumerate *);
    udev_list_entry *(*udev_enumerate_get_list_entry)(udev_enumerate *);
    udev_enumerate *(*udev_enumerate_unref)(udev_enumerate *);
    udev_list_entry *(*udev_list_entry_get_next)(udev_list_entry *);
    const char *(*udev_list_entry_get_name)(udev_list_entry *);
};

struct UdevDeviceApi
{
    udev_device *(*udev_device_new_from_syspath)(udev *, const char *);
    udev_device *(*udev_device_unref)(udev_device *);
    const char *(*udev_device_get_devnode)(udev_device *);
    const char *(*udev_device_get_syspath)(udev_device *);
    const char *(*udev_device_get_sysname)(udev_device *);
    const char *(*udev_device_get_action)(udev_device *);
    udev_device *(*udev_device_get_parent_with_subsystem_devtype)(udev_device *, const char *, const char *);
    const char *(*udev_device_get_sysattr_value)(udev_device *, const char *);
    const char *(*udev_device_get_property_value)(udev_device *, const char *);
    udev_monitor *(*udev_monitor_new_from_netlink)(udev *, const char *);
    int (*udev_monitor_filter_add_match_subsystem_devtype)(udev_monitor *, const char *, const char *);
    int (*udev_monitor_enable_receiving)(udev_monitor *);
    int (*udev_monitor_get_fd)(udev_monitor *);
    udev_device *(*udev_monitor_receive_device)(udev_monitor *);
    udev_monitor *(*udev_monitor_unref)(udev_monitor *);
};

// The two bindings of one library file ("libudev.so.1" unless told otherwise).
class Libudev
{
public:
    explicit Libudev(QByteArray fileName = "libudev.so.1") : file(std::move(fileName)) {}
    ~Libudev();
    Libudev(const Libudev &) = delete;
    Libudev &operator=(const Libudev &) = delete;

    bool BindSetupApi();
    void UnbindSetupApi();
    bool BindHid();
    void UnbindHid();
    bool HidBound() const { return hidModule != nullptr; }
    bool SetupApiBound() const { return setupModule != nullptr; }
    int SetupApiUses() const { return setupUseCount; }

    // Filled while bound, empty (all nullptr) otherwise.
    UdevEnumerationApi enumeration{};
    UdevDeviceApi device{};

private:
    QByteArray file;
    ModuleHandle setupModule = nullptr;
    int setupUseCount = 0;
    ModuleHandle hidModule = nullptr;
};

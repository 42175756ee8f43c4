#include "platform/hid/Libudev.h"

namespace {

#define MX840_BIND(table, name) ModuleBind(module, table.name, #name, allFound)

bool bindEnumeration(ModuleHandle module, UdevEnumerationApi &api)
{
    bool allFound = true;
    MX840_BIND(api, udev_new);
    MX840_BIND(api, udev_unref);
    MX840_BIND(api, udev_enumerate_new);
    MX840_BIND(api, udev_enumerate_add_match_subsystem);
    MX840_BIND(api, udev_enumerate_scan_devices);
    MX840_BIND(api, udev_enumerate_get_list_entry);
    MX840_BIND(api, udev_enumerate_unref);
    MX840_BIND(api, udev_list_entry_get_next);
    MX840_BIND(api, udev_list_entry_get_name);
    return allFound;
}

bool bindDevice(ModuleHandle module, UdevDeviceApi &api)
{
    bool allFound = true;
    MX840_BIND(api, udev_device_new_from_syspath);
    MX840_BIND(api, udev_device_unref);
    MX840_BIND(api, udev_device_get_devnode);
    MX840_BIND(api, udev_device_get_syspath);
    MX840_BIND(api, udev_device_get_sysname);
    MX840_BIND(api, udev_device_get_action);
    MX840_BIND(api, udev_device_get_parent_with_subsystem_devtype);
    MX840_BIND(api, udev_device_get_sysattr_value);
    MX840_BIND(api, udev_device_get_property_value);
    MX840_BIND(api, udev_monitor_new_from_netlink);
    MX840_BIND(api, udev_monitor_filter_add_match_subsystem_devtype);
    MX840_BIND(api, udev_monitor_enable_receiving);
    MX840_BIND(api, udev_monitor_get_fd);
    MX840_BIND(api, udev_monitor_receive_device);
    MX840_BIND(api, udev_monitor_unref);
    return allFound;
}

#undef MX840_BIND

} // namespace

Libudev::~Libudev()
{
    UnbindHid();
    setupUseCount = 0;
    UnbindSetupApi();
}

bool Libudev::BindSetupApi()
{
    if (++setupUseCount > 1)
        return SetupApiBound();
    if (!ModuleOpen(setupModule, file.constData()))
        return false;
    if (!bindEnumeration(setupModule, enumeration)) {
        UnbindSetupApi();
        return false;
    }
    return true;
}

void Libudev::UnbindSetupApi()
{
    if (--setupUseCount > 0)
        return;
    ModuleClose(setupModule);
    enumeration = {};
}

bool Libudev::BindHid()
{
    if (!ModuleOpen(hidModule, file.constData()))
        return false;
    if (!bindDevice(hidModule, device)) {
        UnbindHid();
        return false;
    }
    return true;
}

void Libudev::UnbindHid()
{
    ModuleClose(hidModule);
    device = {};
}

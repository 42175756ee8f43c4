/* A stand-in for libudev that exports the names the HID backend binds, as
   functions that do nothing. Built once whole and once without one export of
   each binding, to test that binding is all or nothing. */
#define EXPORT __attribute__((visibility("default")))
#define FAKE(name) EXPORT void *name(void) { return 0; }

FAKE(udev_new)
FAKE(udev_unref)
#ifndef WITHOUT_ENUMERATE_NEW
FAKE(udev_enumerate_new)
#endif
FAKE(udev_enumerate_add_match_subsystem)
FAKE(udev_enumerate_scan_devices)
FAKE(udev_enumerate_get_list_entry)
FAKE(udev_enumerate_unref)
FAKE(udev_list_entry_get_next)
FAKE(udev_list_entry_get_name)
FAKE(udev_device_new_from_syspath)
FAKE(udev_device_unref)
FAKE(udev_device_get_devnode)
FAKE(udev_device_get_syspath)
FAKE(udev_device_get_sysname)
FAKE(udev_device_get_action)
FAKE(udev_device_get_parent_with_subsystem_devtype)
FAKE(udev_device_get_sysattr_value)
FAKE(udev_device_get_property_value)
FAKE(udev_monitor_new_from_netlink)
FAKE(udev_monitor_filter_add_match_subsystem_devtype)
FAKE(udev_monitor_enable_receiving)
FAKE(udev_monitor_get_fd)
FAKE(udev_monitor_receive_device)
#ifndef WITHOUT_MONITOR_UNREF
FAKE(udev_monitor_unref)
#endif

#pragma once

// The interface cable as umockdev mocks it: a USB device, its HID interface
// with the cable's report descriptor and a hidraw node whose feature-report
// ioctls are answered. For programs run under umockdev-wrapper, which points
// libudev, sysfs and /dev at the testbed (and so do the programs they start).
// glib names a member "signals", which Qt defines as a keyword: include this
// header before any Qt header.
#include <umockdev.h>

#include <QByteArray>
#include <QList>

#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace MockedCable {

// A vendor-defined interface with 8-byte reports and no report IDs.
inline unsigned char Descriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                                     0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02, 0xC0};

// Answers the ioctls of a mocked hidraw node on a thread of its own (the
// program makes them from its GUI thread and waits for the answer), keeping
// the feature reports it was sent.
class IoctlServer
{
public:
    IoctlServer() : context(g_main_context_new()), handler(umockdev_ioctl_base_new())
    {
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(&IoctlServer::onIoctl), this);
    }
    ~IoctlServer()
    {
        running = false;
        if (loop.joinable())
            loop.join();
        g_object_unref(handler);
        g_main_context_unref(context);
    }
    IoctlServer(const IoctlServer &) = delete;
    IoctlServer &operator=(const IoctlServer &) = delete;

    bool attach(UMockdevTestbed *testbed, const char *node)
    {
        g_main_context_push_thread_default(context);
        const bool attached = umockdev_testbed_attach_ioctl(testbed, node, handler, nullptr);
        g_main_context_pop_thread_default(context);
        loop = std::thread([this] {
            g_main_context_push_thread_default(context);
            while (running)
                g_main_context_iteration(context, FALSE), std::this_thread::sleep_for(std::chrono::milliseconds(1));
            g_main_context_pop_thread_default(context);
        });
        return attached;
    }

    QList<QByteArray> features()
    {
        std::lock_guard lock(mutex);
        return received;
    }

    // Feature reports fail with this error from now on (0: they are taken).
    std::atomic<int> featureError{0};

private:
    static gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
    {
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        if (_IOC_TYPE(request) != 'H' || _IOC_NR(request) != 0x06) // HIDIOCSFEATURE(len)
            return FALSE;
        const gsize length = _IOC_SIZE(request);
        UMockdevIoctlData *data =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, nullptr);
        if (!data)
            return FALSE;
        auto *server = static_cast<IoctlServer *>(self);
        if (const int error = server->featureError.load()) {
            umockdev_ioctl_client_complete(client, -1, error);
            return TRUE;
        }
        {
            std::lock_guard lock(server->mutex);
            server->received << QByteArray(reinterpret_cast<const char *>(data->data), qsizetype(data->data_len));
        }
        umockdev_ioctl_client_complete(client, glong(length), 0);
        return TRUE;
    }

    GMainContext *context;
    UMockdevIoctlBase *handler;
    std::thread loop;
    std::atomic<bool> running{true};
    std::mutex mutex;
    QList<QByteArray> received;
};

// Adds a USB HID interface with its hid parent and hidraw node `rawName`
// (under /sys/devices/USBNAME/HIDNAME/hidraw/RAWNAME).
inline bool addInterface(UMockdevTestbed *testbed, const char *usbName, const char *hidName, const char *rawName,
                         const char *product, const char *serial)
{
    gchar *usb = umockdev_testbed_add_device(testbed, "usb", usbName, nullptr, "idVendor", "1234", "idProduct", "5678",
                                             "bcdDevice", "0112", "product", product, "serial", serial, nullptr,
                                             "DEVTYPE", "usb_device", nullptr);
    gchar *hid = umockdev_testbed_add_device(testbed, "hid", hidName, usb, nullptr, "HID_ID", "0003:00001234:00005678",
                                             "HID_NAME", "fallback name", nullptr);
    umockdev_testbed_set_attribute_binary(testbed, hid, "report_descriptor", Descriptor, sizeof Descriptor);
    const QByteArray record = QByteArray("P: ") + QByteArray(hid).mid(4) + "/hidraw/" + rawName + "\nN: " + rawName +
                              "\nE: DEVNAME=/dev/" + rawName + "\nE: SUBSYSTEM=hidraw\nA: dev=240:0\n";
    const bool added = umockdev_testbed_add_from_string(testbed, record.constData(), nullptr);
    g_free(hid);
    g_free(usb);
    return added;
}

} // namespace MockedCable

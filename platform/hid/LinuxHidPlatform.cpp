#include "platform/hid/LinuxHidPlatform.h"

#include "core/hid/ReportDescriptor.h"
#include "platform/hid/EventFdWakeUp.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Description = LinuxHidPlatform::Description;

// A replug can be followed by a moment in which the new node is not yet
// accessible (udev still applying its rules); the change is looked at once
// more after this delay, so the device then shows up by itself.
constexpr int kSettleMilliseconds = 1000;

QString text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

// "0003:00001234:00005678" -> vendor 0x1234, product 0x5678
void parseHidId(const QString &hidId, HidAttributes &attributes)
{
    const QStringList parts = hidId.split(u':');
    if (parts.size() == 3) {
        attributes.VendorID = quint16(parts[1].toUInt(nullptr, 16));
        attributes.ProductID = quint16(parts[2].toUInt(nullptr, 16));
    }
}

// "0003:1234:5678.001A" -> 0x1A
quint32 instanceIdOf(const QString &hidSysname)
{
    return hidSysname.section(u'.', -1).toUInt(nullptr, 16);
}

void writeUnits(const QString &value, char16_t *units, int count)
{
    const int n = int(qMin<qsizetype>(value.size(), count - 1));
    std::memcpy(units, value.utf16(), size_t(n) * sizeof(char16_t));
}

class LinuxHidFile : public HidFile
{
public:
    LinuxHidFile(std::shared_ptr<const Description> description, int deviceFd, int wakeUpFd)
        : info(std::move(description)), fd(deviceFd), wakeFd(wakeUpFd)
    {}
    ~LinuxHidFile() override
    {
        if (fd >= 0)
            ::close(fd);
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    bool getAttributes(HidAttributes &attributes) override
    {
        if (closed)
            return false;
        attributes = info->attributes;
        return true;
    }
    bool getProductString(char16_t *units, int count) override { return string(info->product, units, count); }
    bool getSerialNumberString(char16_t *units, int count) override { return string(info->serial, units, count); }
    // The kernel does not expose string descriptor 0; USB devices answer in
    // US English, which is what the kernel asked them in.
    bool getIndexedString(int index, char16_t *units, int count) override
    {
        if (closed || index != 0 || count < 1)
            return false;
        units[0] = 0x0409;
        return true;
    }
    HidPreparsedHandle getPreparsedData() override
    {
        return closed ? nullptr : std::make_shared<HidPreparsedData>(info->caps);
    }
    bool setFeature(const quint8 *report, int length) override
    {
        if (closed || fd < 0 || length <= 0)
            return false;
        return ::ioctl(fd, HIDIOCSFEATURE(length), report) >= 0;
    }

    int beginRead(quint8 *target, int length) override
    {
        if (closed || fd < 0)
            return EBADF;
        buffer = target;
        bufferLength = length;
        result = 0;
        error = 0;
        return 0;
    }

    Wait waitRead(int milliseconds) override
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, milliseconds);
        if (ready <= 0)
            return Wait::TimedOut; // time up, or a signal
        if (fds[1].revents & POLLIN) {
            quint64 count = 0;
            [[maybe_unused]] const ssize_t drained = ::read(wakeFd, &count, sizeof count);
            if (!closed)
                return Wait::TimedOut; // woken for a stop request
        }
        if (closed)
            return Wait::Completed; // ended by closing: no data, no error
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            error = ENODEV;
            return Wait::Completed;
        }
        if (fds[0].revents & POLLIN)
            return readReport();
        return Wait::TimedOut;
    }

    qint64 readResult() override { return result; }
    int readError() override { return error; }
    bool cancelRead() override
    {
        buffer = nullptr;
        return true;
    }
    void interruptWait() override { wake(); }
    void shutdown() override
    {
        closed = true;
        wake();
    }

private:
    bool string(const QString &value, char16_t *units, int count)
    {
        if (closed || value.isEmpty())
            return false;
        writeUnits(value, units, count);
        return true;
    }

    void wake()
    {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    }

    // Reads one report; one without a report ID gets a 0 in front.
    Wait readReport()
    {
        if (!buffer || bufferLength <= 0)
            return Wait::TimedOut;
        const int skip = info->numberedReports ? 0 : 1;
        const ssize_t n = ::read(fd, buffer + skip, size_t(qMax(bufferLength - skip, 0)));
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return Wait::TimedOut;
        if (n <= 0) {
            error = n < 0 ? errno : ENODEV;
            return Wait::Completed;
        }
        if (skip)
            buffer[0] = 0;
        result = n + skip;
        return Wait::Completed;
    }

    const std::shared_ptr<const Description> info;
    const int fd;
    const int wakeFd;
    std::atomic<bool> closed{false};
    // used by the read thread only
    quint8 *buffer = nullptr;
    int bufferLength = 0;
    qint64 result = 0;
    int error = 0;
};

} // namespace

LinuxHidPlatform::LinuxHidPlatform(QByteArray libudevFile, QObject *parent)
    : QObject(parent), libudev(std::move(libudevFile))
{}

LinuxHidPlatform::~LinuxHidPlatform()
{
    stopWatchingDeviceChanges();
    releaseContext();
}

// The udev context and monitor are released while the entry points that
// release them are still bound.
void LinuxHidPlatform::UnbindSetupApi()
{
    if (libudev.SetupApiUses() <= 1)
        releaseContext();
    libudev.UnbindSetupApi();
}

void LinuxHidPlatform::UnbindHid()
{
    stopWatchingDeviceChanges();
    libudev.UnbindHid();
}

void LinuxHidPlatform::releaseContext()
{
    if (context && libudev.enumeration.udev_unref)
        libudev.enumeration.udev_unref(context);
    context = nullptr;
    {
        std::lock_guard lock(descriptionsMutex);
        descriptions.clear();
    }
}

std::optional<QList<HidInterfaceInfo>> LinuxHidPlatform::presentInterfaces()
{
    const UdevEnumerationApi &e = libudev.enumeration;
    const UdevDeviceApi &d = libudev.device;
    if (!libudev.SetupApiBound() || !libudev.HidBound())
        return std::nullopt;
    if (!context)
        context = e.udev_new();
    if (!context)
        return std::nullopt;
    udev_enumerate *scan = e.udev_enumerate_new(context);
    if (!scan)
        return std::nullopt;

    QList<HidInterfaceInfo> present;
    QHash<QByteArray, std::shared_ptr<const Description>> found;
    e.udev_enumerate_add_match_subsystem(scan, "hidraw");
    e.udev_enumerate_scan_devices(scan);
    for (udev_list_entry *entry = e.udev_enumerate_get_list_entry(scan); entry;
         entry = e.udev_list_entry_get_next(entry)) {
        udev_device *raw = d.udev_device_new_from_syspath(context, e.udev_list_entry_get_name(entry));
        if (!raw)
            continue;
        const char *node = d.udev_device_get_devnode(raw);
        udev_device *hid = d.udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
        if (node && hid) {
            auto description = std::make_shared<Description>();
            parseHidId(text(d.udev_device_get_property_value(hid, "HID_ID")), description->attributes);
            description->product = text(d.udev_device_get_property_value(hid, "HID_NAME"));
            description->serial = text(d.udev_device_get_property_value(hid, "HID_UNIQ"));
            if (udev_device *usb = d.udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_device")) {
                description->attributes.VersionNumber =
                    quint16(text(d.udev_device_get_sysattr_value(usb, "bcdDevice")).toUInt(nullptr, 16));
                if (const char *product = d.udev_device_get_sysattr_value(usb, "product"))
                    description->product = text(product);
                if (const char *serial = d.udev_device_get_sysattr_value(usb, "serial"))
                    description->serial = text(serial);
            }
            QFile descriptorFile(text(d.udev_device_get_syspath(hid)) + QStringLiteral("/report_descriptor"));
            if (descriptorFile.open(QIODevice::ReadOnly)) {
                const ReportDescriptorInfo parsed = ParseReportDescriptor(descriptorFile.read(4096));
                description->caps = parsed.caps;
                description->numberedReports = parsed.numberedReports;
            }
            const QByteArray path(node);
            found.insert(path, description);
            present.append({instanceIdOf(text(d.udev_device_get_sysname(hid))), path});
        }
        d.udev_device_unref(raw);
    }
    e.udev_enumerate_unref(scan);
    {
        std::lock_guard lock(descriptionsMutex);
        descriptions = found;
    }
    return present;
}

HidHandle LinuxHidPlatform::open(const QByteArray &devicePath, HidAccess access, int *error)
{
    std::shared_ptr<const Description> description;
    {
        std::lock_guard lock(descriptionsMutex);
        description = descriptions.value(devicePath);
    }
    int refusal = description ? 0 : ENOENT;
    int fd = -1;
    if (!refusal && access != HidAccess::QueryOnly) {
        const int flags = access == HidAccess::ReadWrite ? O_RDWR : (O_RDONLY | O_NONBLOCK);
        fd = ::open(devicePath.constData(), flags | O_CLOEXEC);
        if (fd < 0)
            refusal = errno;
    }
    const int wakeFd = refusal ? -1 : ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!refusal && wakeFd < 0)
        refusal = errno;
    if (refusal) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = refusal;
        return {};
    }
    return std::make_shared<LinuxHidFile>(description, fd, wakeFd);
}

void LinuxHidPlatform::watchDeviceChanges(std::function<void()> changed)
{
    stopWatchingDeviceChanges();
    const UdevDeviceApi &d = libudev.device;
    if (!libudev.HidBound() || !libudev.SetupApiBound())
        return;
    if (!context)
        context = libudev.enumeration.udev_new();
    monitor = context ? d.udev_monitor_new_from_netlink(context, "udev") : nullptr;
    if (!monitor)
        return;
    d.udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr);
    d.udev_monitor_enable_receiving(monitor);
    onChange = std::move(changed);
    monitorNotifier = std::make_unique<QSocketNotifier>(d.udev_monitor_get_fd(monitor), QSocketNotifier::Read);
    connect(monitorNotifier.get(), &QSocketNotifier::activated, this, &LinuxHidPlatform::onMonitorReadable);
}

void LinuxHidPlatform::stopWatchingDeviceChanges()
{
    monitorNotifier.reset();
    if (monitor && libudev.device.udev_monitor_unref)
        libudev.device.udev_monitor_unref(monitor);
    monitor = nullptr;
    onChange = nullptr;
}

// Every change is looked at once more a second later: a new device can be
// unreadable while udev applies its rules, and a removed one can still be
// listed for a moment after its removal is announced.
void LinuxHidPlatform::onMonitorReadable()
{
    const UdevDeviceApi &d = libudev.device;
    while (udev_device *event = d.udev_monitor_receive_device(monitor))
        d.udev_device_unref(event);
    if (!onChange)
        return;
    onChange();
    QTimer::singleShot(kSettleMilliseconds, this, [this] {
        if (onChange)
            onChange();
    });
}

std::unique_ptr<HidWakeUp> LinuxHidPlatform::wakeUpThisThread(std::function<void()> woken)
{
    return EventFdWakeUp::create(std::move(woken));
}

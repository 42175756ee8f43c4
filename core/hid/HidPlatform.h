#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// What the HID layer needs from the operating system, behind one interface:
// the Linux backend (libudev + hidraw) and the simulated cable implement it,
// and the device and controller classes cannot tell them apart.

struct HidAttributes
{
    quint16 VendorID = 0;
    quint16 ProductID = 0;
    quint16 VersionNumber = 0;
};

// The capability record of an interface. Report lengths include the report-ID
// byte, which is always the first byte of a report, 0 for an interface that
// does not number its reports.
struct HidCaps
{
    quint16 Usage = 0;
    quint16 UsagePage = 0;
    quint16 InputReportByteLength = 0;
    quint16 OutputReportByteLength = 0;
    quint16 FeatureReportByteLength = 0;
};

// A present HID interface: a number that stays the same while it is present and
// differs after a replug, and the path it is opened by.
struct HidInterfaceInfo
{
    quint32 instanceId = 0;
    QByteArray devicePath;
};

// The parsed report descriptor of an interface.
class HidPreparsedData
{
public:
    explicit HidPreparsedData(const HidCaps &caps) : capabilities(caps) {}
    const HidCaps &caps() const { return capabilities; }

private:
    HidCaps capabilities;
};
using HidPreparsedHandle = std::shared_ptr<const HidPreparsedData>;

enum class HidAccess {
    ReadWrite,     // attributes, strings, feature reports
    QueryOnly,     // attributes and strings only
    ReadOverlapped // input reports, read by one read thread
};

// An open interface. Closing it (shutdown) wakes a read thread waiting on it;
// the underlying file is released only when no one holds the handle any more,
// so nothing a thread may still read is closed under it.
class HidFile
{
public:
    virtual ~HidFile() = default;

    virtual bool getAttributes(HidAttributes &attributes) = 0;
    // The strings fill `units` (UTF-16, at most `count` units) as the HID
    // library does; they answer false when the interface has no such string.
    virtual bool getProductString(char16_t *units, int count) = 0;
    virtual bool getSerialNumberString(char16_t *units, int count) = 0;
    // String descriptor `index`; index 0 is the list of language identifiers.
    virtual bool getIndexedString(int index, char16_t *units, int count) = 0;
    virtual HidPreparsedHandle getPreparsedData() = 0;
    virtual bool setFeature(const quint8 *report, int length) = 0;

    // Reading, on the read thread only. beginRead starts a read of up to
    // `length` bytes into `buffer` and answers 0 or the system error code;
    // waitRead waits up to `milliseconds` for it to end. A read ends with data,
    // with an error (readError) or by cancelRead.
    enum class Wait { Completed, TimedOut };
    virtual int beginRead(quint8 *buffer, int length) = 0;
    virtual Wait waitRead(int milliseconds) = 0;
    virtual qint64 readResult() = 0; // bytes delivered by the finished read, 0 if none
    virtual int readError() = 0;     // system error code of the finished read, 0 if none
    virtual bool cancelRead() = 0;
    // Any thread: ends a wait at once (a stop request is honoured without delay).
    virtual void interruptWait() = 0;

    // Closes the handle: wakes any waiter; later operations fail.
    virtual void shutdown() = 0;
};
using HidHandle = std::shared_ptr<HidFile>;

// Wakes the GUI thread from a read thread: raising it allocates nothing and
// never blocks; the GUI thread then runs what it was made with (once for
// several raises that came together).
class HidWakeUp
{
public:
    virtual ~HidWakeUp() = default;
    virtual void raise() = 0;
};

class HidPlatform
{
public:
    virtual ~HidPlatform() = default;

    // Binding the system's HID services, all entry points or none. The
    // enumeration binding has a use count; the HID binding has none.
    virtual bool BindSetupApi() = 0;
    virtual void UnbindSetupApi() = 0;
    virtual bool BindHid() = 0;
    virtual void UnbindHid() = 0;
    virtual bool HidBound() const = 0;

    // The present HID interfaces, in a stable order; nullopt when the system
    // cannot be asked.
    virtual std::optional<QList<HidInterfaceInfo>> presentInterfaces() = 0;
    // nullptr, with the system error code in `error`, when it cannot be opened.
    virtual HidHandle open(const QByteArray &devicePath, HidAccess access, int *error = nullptr) = 0;

    // Runs `changed` on the GUI thread after interfaces appear or disappear.
    virtual void watchDeviceChanges(std::function<void()> changed) = 0;
    virtual void stopWatchingDeviceChanges() = 0;

    // GUI thread: a wake-up that runs `woken` on this thread; nullptr when the
    // system has none to give.
    virtual std::unique_ptr<HidWakeUp> wakeUpThisThread(std::function<void()> woken) = 0;
};

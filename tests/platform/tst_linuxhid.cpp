// The Linux HID backend end to end, against devices mocked by umockdev. Runs
// under umockdev-wrapper, which points libudev, sysfs and /dev at a testbed.
#include "MockedCable.h"

#include "core/hid/HidControllerClass.h"
#include "core/link/MeterFrame.h"
#include "platform/hid/LinuxHidPlatform.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <csignal>

#include <unistd.h>

namespace {

using MockedCable::IoctlServer;

struct Events
{
    QStringList log;
    QList<QByteArray> reports;
    void onArrival(THidDevice *HidDev) { log << "arrival " + HidDev->ProductName(); }
    void onRemoval(THidDevice *HidDev) { log << "removal " + HidDev->ProductName(); }
    void onChange(QObject *) { log << "change"; }
    void onData(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        reports << QByteArray(1, char(ReportID)) + QByteArray(reinterpret_cast<const char *>(Data), Size);
    }
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

class TestLinuxHid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void enumeratesTheCable();
    void writesTheFeatureReport();
    void readsReportsOnItsThread();
    void stopsWithinASlice();
    void followsHotPlug();
    void logKeepsTheCableThroughOtherDevicesAndReplugs();
    void logSaysWhatGoesWrongWithTheCable();
    void logNamesACableListedUnderAnotherName();

private:
    void sendFrame(const char *node);
    // Adds a USB HID interface with its hid parent and hidraw node.
    void addInterface(const char *usbName, const char *hidName, const char *rawName, const char *product,
                      const char *serial);
    THidDevice *cable();

    UMockdevTestbed *testbed = nullptr;
    std::unique_ptr<IoctlServer> ioctls;
    std::unique_ptr<LinuxHidPlatform> platform;
    std::unique_ptr<THidDeviceController> controller;
    Events events;
};

void TestLinuxHid::initTestCase()
{
    if (!qEnvironmentVariable("LD_PRELOAD").contains(QStringLiteral("umockdev")))
        QFAIL("run this test under umockdev-wrapper");
}

void TestLinuxHid::addInterface(const char *usbName, const char *hidName, const char *rawName, const char *product,
                                const char *serial)
{
    QVERIFY(MockedCable::addInterface(testbed, usbName, hidName, rawName, product, serial));
}

void TestLinuxHid::init()
{
    testbed = umockdev_testbed_new();
    addInterface("usb1", "0003:1234:5678.0007", "hidraw0", "USB to Serial", "");
    ioctls = std::make_unique<IoctlServer>();
    QVERIFY(ioctls->attach(testbed, "/dev/hidraw0"));
    platform = std::make_unique<LinuxHidPlatform>();
    controller = std::make_unique<THidDeviceController>(*platform);
    events = {};
}

void TestLinuxHid::cleanup()
{
    controller.reset();
    platform.reset();
    ioctls.reset();
    g_object_unref(testbed);
}

THidDevice *TestLinuxHid::cable()
{
    for (qsizetype i = 0; i < controller->DeviceList.size(); ++i) {
        if (controller->DeviceList[i]->PnPInfo().DevicePath == "/dev/hidraw0")
            return controller->CheckOutAt(int(i));
    }
    return nullptr;
}

void TestLinuxHid::enumeratesTheCable()
{
    QVERIFY(platform->HidBound());
    QCOMPARE(controller->DeviceList.size(), 1);
    THidDevice *device = cable();
    QVERIFY(device);
    QCOMPARE(device->PnPInfo().InstanceId, quint32(7));
    QCOMPARE(device->Attributes.VendorID, quint16(0x1234));
    QCOMPARE(device->Attributes.ProductID, quint16(0x5678));
    QCOMPARE(device->Attributes.VersionNumber, quint16(0x0112));
    QCOMPARE(device->ProductName(), QStringLiteral("USB to Serial"));
    QCOMPARE(device->SerialNumber(), QString());
    QCOMPARE(device->Capabilities().InputReportByteLength, quint16(9)); // report ID byte included
    QCOMPARE(device->Capabilities().FeatureReportByteLength, quint16(10));
    QVERIFY(device->ReadWriteAccess);
    delete device;
}

void TestLinuxHid::writesTheFeatureReport()
{
    THidDevice *device = cable();
    const QByteArray feature = bytes({0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00});
    QVERIFY(device->SendFeature(reinterpret_cast<const quint8 *>(feature.constData()), int(feature.size())));
    QCOMPARE(ioctls->features(), QList<QByteArray>{feature});
    delete device;
}

void TestLinuxHid::readsReportsOnItsThread()
{
    THidDevice *device = cable();
    device->setOnData(THidDataEvent(&events, &Events::onData));
    QVERIFY(device->ReadThread());
    const int fd = umockdev_testbed_get_dev_fd(testbed, "/dev/hidraw0");
    QVERIFY(fd >= 0);
    const QList<QByteArray> sent{bytes({0xF7, 0x30, 0x37, 0x3B, 0x36, 0x30, 0x35, 0x3E}),
                                 bytes({0xF6, 0x30, 0x30, 0x30, 0x31, 0x0D, 0x0A, 0x00}),
                                 bytes({0xF0, 0, 0, 0, 0, 0, 0, 0})};
    // The pty keeps no report boundaries: one report at a time.
    for (const QByteArray &report : sent) {
        QCOMPARE(::write(fd, report.constData(), size_t(report.size())), ssize_t(report.size()));
        QTRY_COMPARE(events.reports.size(), sent.indexOf(report) + 1);
    }
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(events.reports[i], QByteArray(1, '\0') + sent[i]);
    delete device;
}

void TestLinuxHid::stopsWithinASlice()
{
    THidDevice *device = cable();
    device->setThreadSleepTime(10000);
    device->setOnData(THidDataEvent(&events, &Events::onData));
    QTest::qWait(100); // the thread is waiting for a report now
    QElapsedTimer stop;
    stop.start();
    device->setOnData({});
    // A stop does not wait out the 10-second slice: the wake-up ends it.
    QVERIFY2(stop.elapsed() < 5000, qPrintable(QString::number(stop.elapsed())));
    QVERIFY(!device->ReadThread());
    delete device;
}

void TestLinuxHid::followsHotPlug()
{
    controller->OnArrival = THidPlugEvent(&events, &Events::onArrival);
    controller->OnRemoval = THidPlugEvent(&events, &Events::onRemoval);
    controller->setOnDeviceChange(TNotifyEvent(&events, &Events::onChange));
    QCOMPARE(events.log, QStringList{"change"});

    addInterface("usb2", "0003:1234:5678.0008", "hidraw1", "Second Cable", "SN42");
    umockdev_testbed_uevent(testbed, "/sys/devices/usb2/0003:1234:5678.0008/hidraw/hidraw1", "add");
    QTRY_COMPARE(events.log, QStringList({"change", "arrival Second Cable", "change"}));
    QCOMPARE(controller->DeviceList.last()->PnPInfo().InstanceId, quint32(8));

    umockdev_testbed_uevent(testbed, "/sys/devices/usb2/0003:1234:5678.0008/hidraw/hidraw1", "remove");
    umockdev_testbed_remove_device(testbed, "/sys/devices/usb2/0003:1234:5678.0008/hidraw/hidraw1");
    QTRY_VERIFY(events.log.contains(QStringLiteral("removal Second Cable")));
    QCOMPARE(controller->DeviceList.size(), 1);
}

// One frame of the meter, as the cable's reports, into the node's other end.
// The pty keeps no report boundaries, but every read takes one report's length.
void TestLinuxHid::sendFrame(const char *node)
{
    const int fd = umockdev_testbed_get_dev_fd(testbed, node);
    QVERIFY(fd >= 0);
    QList<QByteArray> reports = SplitIntoReports(EncodeMeterFrame(LcdImageOf("01234", 3)));
    reports.append(bytes({0xF0, 0, 0, 0, 0, 0, 0, 0}));
    for (const QByteArray &report : reports) {
        QCOMPARE(::write(fd, report.constData(), size_t(report.size())), ssize_t(report.size()));
        QTest::qWait(5);
    }
}

// mx840-log on the cable, end to end: a mouse plugged in beside it changes
// nothing; the cable unplugged is said and waited for, and once it is back
// it is configured again and the rows go on.
void TestLinuxHid::logKeepsTheCableThroughOtherDevicesAndReplugs()
{
    QProcess log;
    log.start(qEnvironmentVariable("MX840_LOG"), {QStringLiteral("--cable")});
    QVERIFY(log.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(ioctls->features().size(), 1, 10000); // connected
    QByteArray rows;
    QByteArray messages;
    const auto rowsSoFar = [&] {
        rows += log.readAllStandardOutput();
        return rows.count('\n');
    };
    const auto said = [&](const char *text) {
        messages += log.readAllStandardError();
        return messages.contains(text);
    };
    sendFrame("/dev/hidraw0");
    QTRY_COMPARE_WITH_TIMEOUT(rowsSoFar(), 1, 10000);

    addInterface("usb2", "0003:1234:5678.0008", "hidraw1", "Mouse", "");
    umockdev_testbed_uevent(testbed, "/sys/devices/usb2/0003:1234:5678.0008/hidraw/hidraw1", "add");
    QTest::qWait(1500); // the arrival and its second look
    sendFrame("/dev/hidraw0");
    QTRY_COMPARE_WITH_TIMEOUT(rowsSoFar(), 2, 10000);

    umockdev_testbed_uevent(testbed, "/sys/devices/usb1/0003:1234:5678.0007/hidraw/hidraw0", "remove");
    umockdev_testbed_remove_device(testbed, "/sys/devices/usb1/0003:1234:5678.0007/hidraw/hidraw0");
    QTRY_VERIFY_WITH_TIMEOUT(said("the interface cable was removed"), 10000);
    QCOMPARE(log.state(), QProcess::Running);

    // Back under another node, as the kernel may give it; its ioctls are
    // answered from the moment it exists.
    IoctlServer replugged;
    QVERIFY(replugged.attach(testbed, "/dev/hidraw2"));
    addInterface("usb3", "0003:1234:5678.0009", "hidraw2", "USB to Serial", "");
    umockdev_testbed_uevent(testbed, "/sys/devices/usb3/0003:1234:5678.0009/hidraw/hidraw2", "add");
    QTRY_VERIFY_WITH_TIMEOUT(said("the interface cable is back"), 10000);
    QCOMPARE(replugged.features().size(), 1); // configured again
    sendFrame("/dev/hidraw2");
    QTRY_COMPARE_WITH_TIMEOUT(rowsSoFar(), 3, 10000);

    ::kill(pid_t(log.processId()), SIGTERM);
    QVERIFY(log.waitForFinished(10000));
    messages += log.readAllStandardError();
    QVERIFY2(log.exitCode() == 0, messages.constData());
    QVERIFY(rows.startsWith("1\t") && rows.contains("\n3\t"));
}

// mx840-log says which cable it reads, a feature report the cable refuses,
// and a meter that falls silent and comes back; a run that ends while the
// cable is failing does not end with status 0.
void TestLinuxHid::logSaysWhatGoesWrongWithTheCable()
{
    ioctls->featureError = EIO;
    QProcess log;
    log.start(qEnvironmentVariable("MX840_LOG"), {QStringLiteral("--cable")});
    QVERIFY(log.waitForStarted());
    QByteArray messages;
    const auto said = [&](const QByteArray &text) {
        messages += log.readAllStandardError();
        return messages.contains(text);
    };
    QTRY_VERIFY_WITH_TIMEOUT(said("reading the interface cable at /dev/hidraw0"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        said("/dev/hidraw0: the cable's settings could not be written: " + qt_error_string(EIO).toUtf8()), 10000);
    ::kill(pid_t(log.processId()), SIGINT);
    QVERIFY(log.waitForFinished(10000));
    messages += log.readAllStandardError();
    QCOMPARE(log.exitCode(), 1);
    QVERIFY2(messages.contains("the run ended while the interface cable was failing"), messages.constData());
    QVERIFY2(!messages.contains("not securely connected"), messages.constData());

    // Silent for 30 seconds, then data again: both said.
    ioctls->featureError = 0;
    messages.clear();
    log.start(qEnvironmentVariable("MX840_LOG"), {QStringLiteral("--cable")});
    QVERIFY(log.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(ioctls->features().size(), 1, 10000);
    sendFrame("/dev/hidraw0");
    QTRY_VERIFY_WITH_TIMEOUT(said("no data from the meter for 30 seconds"), 40000);
    sendFrame("/dev/hidraw0");
    QTRY_VERIFY_WITH_TIMEOUT(said("data from the meter again"), 10000);
    ::kill(pid_t(log.processId()), SIGTERM);
    QVERIFY(log.waitForFinished(10000));
    QCOMPARE(log.exitCode(), 0);
}

// A cable whose USB device gives a serial number is listed as
// "USB to Serial (Serial=...)", which the selection rule does not take: the
// message says what was found.
void TestLinuxHid::logNamesACableListedUnderAnotherName()
{
    umockdev_testbed_uevent(testbed, "/sys/devices/usb1/0003:1234:5678.0007/hidraw/hidraw0", "remove");
    umockdev_testbed_remove_device(testbed, "/sys/devices/usb1/0003:1234:5678.0007/hidraw/hidraw0");
    addInterface("usb2", "0003:1234:5678.0008", "hidraw1", "USB to Serial", "A1");
    QProcess log;
    log.start(qEnvironmentVariable("MX840_LOG"), {QStringLiteral("--cable")});
    QVERIFY(log.waitForFinished(20000));
    QCOMPARE(log.exitCode(), 1);
    const QByteArray err = log.readAllStandardError();
    QVERIFY2(err.contains("no interface cable \"USB to Serial\" found; found \"USB to Serial (Serial=A1)\" at "
                          "/dev/hidraw1"),
             err.constData());
}

QTEST_GUILESS_MAIN(TestLinuxHid)
#include "tst_linuxhid.moc"

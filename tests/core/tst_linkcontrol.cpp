#include "core/app/MeterSession.h"
#include "core/link/LinkControl.h"
#include "core/link/MeterFrame.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QTest>

#include <cerrno>
#include <functional>

namespace {

const QByteArray kCable = "/dev/sim/cable";

// Records the boxes; `whileOpen` runs while a box is "open" (ticks go on).
struct Boxes : LinkMessages
{
    QStringList shown;
    std::function<void()> whileOpen;
    void information(const QString &text) override
    {
        shown << text;
        if (whileOpen)
            whileOpen();
    }
    void message(const QString &text) override { shown << text; }
};

// The window's report handler: the session's Read618.
struct Window
{
    MeterSession *session = nullptr;
    int frames = 0;
    void Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        frames += session->Read618(ReportID, Data, Size).frameShown;
    }
    void ReadProbe(THidDevice *, quint8, const quint8 *, quint16) {}
};

struct Fixture
{
    SimulatedHidPlatform platform;
    MeterSession session{QStringLiteral(".")};
    Boxes boxes;
    Window window;
    std::unique_ptr<THidDeviceController> HidCtl;
    std::unique_ptr<LinkControl> link;

    explicit Fixture(const QList<SimulatedHidPlatform::Interface> &interfaces = {SimulatedHidPlatform::cable(kCable)})
    {
        platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/mouse", QStringLiteral("Mouse")));
        for (const SimulatedHidPlatform::Interface &interface : interfaces)
            platform.plug(interface);
    }
    LinkControl &load()
    {
        window.session = &session;
        session.state.PortSelection = 5;
        HidCtl = std::make_unique<THidDeviceController>(platform);
        link = std::make_unique<LinkControl>(session.state, session.display, session.indicator, *HidCtl, boxes,
                                             THidDataEvent(&window, &Window::Read618),
                                             THidDataEvent(&window, &Window::ReadProbe));
        link->wireEvents();
        return *link;
    }
    void sendFrame(const QByteArray &path = kCable)
    {
        for (const QByteArray &report : SplitIntoReports(EncodeMeterFrame(LcdImageOf("01234", 3))))
            platform.pushReport(path, QByteArray(1, '\0') + report);
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            link->watchdogTick();
    }
};

} // namespace

class TestLinkControl : public QObject
{
    Q_OBJECT

private slots:
    void deviceDisplayName_data();
    void deviceDisplayName();
    void cableSelection_data();
    void cableSelection();
    void connectConfiguresTheCableAndReads();
    void connectWithoutACable();
    void connectWithoutPermission();
    void comPortsOpenNothing();
    void watchdogAlarmsAfterThirtySilentTicks();
    void dataEndsTheAlarm();
    void watchdogGivesUpWithItsMessageModal();
    void unplugWhileConnected();
    void otherDevicesComingAndGoingKeepTheReading();
    void cableLostAndBackAreReported();
    void logLines();
    void troublesAreToldOnceUntilDataComes();
};

void TestLinkControl::deviceDisplayName_data()
{
    QTest::addColumn<QVariant>("product");
    QTest::addColumn<QVariant>("serial");
    QTest::addColumn<QString>("name");
    QTest::newRow("product") << QVariant("USB to Serial") << QVariant() << "USB to Serial";
    QTest::newRow("no product") << QVariant() << QVariant() << "Device VID=1234 PID=ABCD";
    QTest::newRow("serial appended") << QVariant("USB to Serial") << QVariant("0001") << "USB to Serial (Serial=0001)";
}

void TestLinkControl::deviceDisplayName()
{
    QFETCH(QVariant, product);
    QFETCH(QVariant, serial);
    QFETCH(QString, name);
    SimulatedHidPlatform::Interface cable = SimulatedHidPlatform::cable(kCable);
    cable.attributes.ProductID = 0xABCD;
    cable.product = product.isValid() ? std::optional<QString>(product.toString()) : std::nullopt;
    cable.serial = serial.isValid() ? std::optional<QString>(serial.toString()) : std::nullopt;
    Fixture f({cable});
    LinkControl &link = f.load();
    QCOMPARE(link.devices.size(), 2);
    QCOMPARE(link.devices[1].text, name);
}

void TestLinkControl::cableSelection_data()
{
    QTest::addColumn<QList<SimulatedHidPlatform::Interface>>("interfaces");
    QTest::addColumn<int>("selected");
    QTest::newRow("one cable") << QList{SimulatedHidPlatform::cable(kCable)} << 1;
    QTest::newRow("two cables: the later")
        << QList{SimulatedHidPlatform::cable(kCable), SimulatedHidPlatform::cable("/dev/sim/cable2")} << 2;
    QTest::newRow("serial suffix is not the cable")
        << QList{SimulatedHidPlatform::cable(kCable, QStringLiteral("A1"))} << -1;
    QTest::newRow("no cable") << QList<SimulatedHidPlatform::Interface>{} << -1;
}

void TestLinkControl::cableSelection()
{
    QFETCH(QList<SimulatedHidPlatform::Interface>, interfaces);
    QFETCH(int, selected);
    Fixture f(interfaces);
    LinkControl &link = f.load();
    QCOMPARE(link.selectedIndex, selected);
    for (const DevListEntry &entry : link.devices)
        QVERIFY(entry.device && entry.device->CheckedOut);
}

void TestLinkControl::connectConfiguresTheCableAndReads()
{
    Fixture f;
    LinkControl &link = f.load();
    f.session.state.ReportCount = 5;
    link.toggleConnection();
    QCOMPARE(f.platform.featureReports(kCable), QList<QByteArray>{QByteArray::fromHex("00600900000300000000")});
    QCOMPARE(link.eventLog.last(), QStringLiteral("00 60 09 00 00 03 00 00 00 00 "));
    QCOMPARE(link.connectCaption(), QStringLiteral("DISCONNECT"));
    QVERIFY(link.reading);
    QVERIFY(!link.portsEnabled);
    QCOMPARE(f.session.state.ReportCount, 0);
    QVERIFY(!f.session.display.lcd.rsUSB.visible);
    QVERIFY(f.boxes.shown.isEmpty());

    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 1);
    QCOMPARE(f.session.state.ReadingText, QStringLiteral("012.34"));

    link.toggleConnection(); // disconnect writes the feature report again
    QCOMPARE(link.connectCaption(), QStringLiteral("CONNECT"));
    QVERIFY(!link.reading);
    QVERIFY(link.portsEnabled);
    QCOMPARE(f.platform.featureReports(kCable).size(), 2);
    QVERIFY(!link.devices[1].device->ReadThread());
}

void TestLinkControl::connectWithoutACable()
{
    Fixture f({SimulatedHidPlatform::cable(kCable, QStringLiteral("A1"))});
    LinkControl &link = f.load();
    link.toggleConnection();
    QCOMPARE(f.boxes.shown, QStringList{LinkControl::NotConnectedMessage});
    QCOMPARE(link.connectCaption(), QStringLiteral("CONNECT"));
    QVERIFY(!link.reading);
    QVERIFY(!link.portsEnabled); // disabled all the same
}

void TestLinkControl::connectWithoutPermission()
{
    SimulatedHidPlatform::Interface cable = SimulatedHidPlatform::cable(kCable);
    cable.queryOnly = true; // EACCES on read-write opening
    Fixture f({cable});
    LinkControl &link = f.load();
    QCOMPARE(link.selectedIndex, 1); // listed by name all the same
    link.toggleConnection();
    QCOMPARE(f.boxes.shown, QStringList{LinkControl::PermissionMessage});
    QCOMPARE(link.connectCaption(), QStringLiteral("CONNECT"));
    QVERIFY(f.platform.featureReports(kCable).isEmpty());
}

void TestLinkControl::comPortsOpenNothing()
{
    Fixture f;
    LinkControl &link = f.load();
    f.session.state.PortSelection = 3;
    link.toggleConnection();
    QCOMPARE(link.connectCaption(), QStringLiteral("DISCONNECT"));
    QVERIFY(!link.portsEnabled);
    link.toggleConnection();
    QCOMPARE(link.connectCaption(), QStringLiteral("CONNECT"));
    QVERIFY(link.portsEnabled);
    QVERIFY(f.platform.featureReports(kCable).isEmpty());
    QVERIFY(f.boxes.shown.isEmpty());
}

void TestLinkControl::watchdogAlarmsAfterThirtySilentTicks()
{
    Fixture f;
    f.load();
    f.ticks(30);
    QCOMPARE(f.session.state.WatchdogTicks, 30);
    QVERIFY(!f.session.display.FlashTimeEnabled);
    QCOMPARE(f.session.state.ReportCount, 0);
    f.ticks(1);
    QVERIFY(f.session.display.FlashTimeEnabled);
    QCOMPARE(f.session.state.ReportCount, 1);
    f.ticks(5);
    QCOMPARE(f.session.state.WatchdogTicks, 30);
    QCOMPARE(f.session.state.ReportCount, 6);
}

void TestLinkControl::dataEndsTheAlarm()
{
    Fixture f;
    LinkControl &link = f.load();
    link.toggleConnection();
    f.ticks(40);
    QVERIFY(f.session.display.FlashTimeEnabled);
    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 1);
    QCOMPARE(f.session.state.WatchdogTicks, 0);
    QCOMPARE(f.session.state.ReportCount, 1); // the closing report
    QVERIFY(!f.session.display.FlashTimeEnabled);
    QVERIFY(f.session.display.lcd.LabelA.visible);
}

void TestLinkControl::watchdogGivesUpWithItsMessageModal()
{
    Fixture f;
    LinkControl &link = f.load();
    link.toggleConnection();
    THidDevice *cable = link.devices[1].device.get();
    QVERIFY(cable->ReadThread());

    f.ticks(30);
    f.ticks(8900); // alarm ticks: the count reaches 8900
    QVERIFY(f.boxes.shown.isEmpty());
    int ticksWhileOpen = 0;
    f.boxes.whileOpen = [&] {
        f.ticks(3); // the box is modal; the watchdog ticks on
        ticksWhileOpen = 3;
        QVERIFY(f.session.display.FlashTimeEnabled);
    };
    f.ticks(1); // the 8901st alarm tick gives up
    QCOMPARE(f.boxes.shown, QStringList{LinkControl::MeterNotReadyMessage});
    QCOMPARE(ticksWhileOpen, 3);
    QCOMPARE(f.session.state.WatchdogTicks, 31);
    QCOMPARE(f.session.state.ReportCount, 1 + 3);
    QVERIFY(!f.session.display.FlashTimeEnabled);
    QCOMPARE(link.connectCaption(), QStringLiteral("CONNECT"));
    QVERIFY(!link.reading);
    QVERIFY(!cable->ReadThread());
    QVERIFY(f.session.indicator.CONokNVisible());

    // Spent: nothing more happens until data comes.
    f.boxes.whileOpen = nullptr;
    f.ticks(100);
    QCOMPARE(f.boxes.shown.size(), 1);
    QCOMPARE(f.session.state.WatchdogTicks, 131);
}

void TestLinkControl::unplugWhileConnected()
{
    Fixture f;
    LinkControl &link = f.load();
    link.toggleConnection();
    f.platform.unplug(kCable);
    f.platform.notifyChange();
    // Still "DISCONNECT" with USBCon down, and no handler on any device.
    QCOMPARE(link.connectCaption(), QStringLiteral("DISCONNECT"));
    QVERIFY(link.reading);
    QCOMPARE(link.selectedIndex, -1);
    QCOMPARE(link.devices.size(), 1);
    QVERIFY(link.CurrentDevice.expired());

    // The watchdog gives up on a device that no longer exists: no crash.
    f.ticks(30 + 8901);
    QCOMPARE(f.boxes.shown, QStringList{LinkControl::MeterNotReadyMessage});

    // Replugged: DISCONNECT then CONNECT reconnects to the new cable.
    f.platform.replug(kCable);
    f.platform.notifyChange();
    QCOMPARE(link.selectedIndex, 1);
    link.toggleConnection();
    QCOMPARE(link.connectCaption(), QStringLiteral("DISCONNECT"));
    QVERIFY(link.devices[1].device->ReadThread());
}

void TestLinkControl::otherDevicesComingAndGoingKeepTheReading()
{
    Fixture f;
    LinkControl &link = f.load();
    link.toggleConnection();
    const std::shared_ptr<THidDevice> cable = link.devices[1].device;
    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 1);

    // A mouse, then a second cable, plugged in beside it; then both unplugged.
    f.platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/pad", QStringLiteral("Pad")));
    f.platform.notifyChange();
    f.platform.plug(SimulatedHidPlatform::cable("/dev/sim/cable2"));
    f.platform.notifyChange();
    QCOMPARE(link.devices.size(), 4);
    QCOMPARE(link.devices[link.selectedIndex].device, cable); // still the cable being read
    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 2);
    f.platform.unplug("/dev/sim/pad");
    f.platform.unplug("/dev/sim/cable2");
    f.platform.notifyChange();
    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 3);
    QCOMPARE(link.CurrentDevice.lock(), cable);
    QVERIFY(cable->ReadThread());
    QVERIFY(f.boxes.shown.isEmpty());

    link.toggleConnection(); // disconnecting stops the reader as ever
    QVERIFY(!cable->ReadThread());
}

void TestLinkControl::cableLostAndBackAreReported()
{
    Fixture f;
    LinkControl &link = f.load();
    QStringList events;
    link.onCableLost = [&] { events << "lost"; };
    link.onCableBack = [&] { events << "back"; };
    link.toggleConnection();
    f.platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/pad", QStringLiteral("Pad")));
    f.platform.notifyChange();
    QCOMPARE(events, QStringList());

    f.platform.unplug(kCable);
    f.platform.notifyChange();
    QCOMPARE(events, QStringList{"lost"});
    f.platform.unplug("/dev/sim/pad");
    f.platform.notifyChange();
    QCOMPARE(events, QStringList{"lost"}); // still waiting, nothing new to say

    f.platform.replug(kCable);
    f.platform.notifyChange();
    QCOMPARE(events, QStringList({"lost", "back"}));
    QVERIFY(link.resumeReading());
    QCOMPARE(f.platform.featureReports(kCable).size(), 1); // the new cable is configured
    f.sendFrame();
    QTRY_COMPARE(f.window.frames, 1);
    QCOMPARE(link.connectCaption(), QStringLiteral("DISCONNECT"));

    // Gone and back between two looks: both said at once.
    f.platform.unplug(kCable);
    f.platform.replug(kCable);
    f.platform.notifyChange();
    QCOMPARE(events, QStringList({"lost", "back", "lost", "back"}));

    // Once disconnected, a returning cable is nobody's business.
    link.toggleConnection();
    f.platform.unplug(kCable);
    f.platform.notifyChange();
    f.platform.replug(kCable);
    f.platform.notifyChange();
    QCOMPARE(events.size(), 4);
}

void TestLinkControl::logLines()
{
    Fixture f;
    LinkControl &link = f.load();
    f.platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/pad", QStringLiteral("Pad")));
    f.platform.notifyChange();
    QCOMPARE(link.eventLog.last(), QStringLiteral("Arrival of Pad"));
    f.platform.unplug("/dev/sim/pad");
    f.platform.notifyChange();
    QCOMPARE(link.eventLog.last(), QStringLiteral("Removal of Pad"));

    link.HidCtlDeviceDataError(nullptr, EIO);
    QCOMPARE(link.eventLog.last(), QStringLiteral("READ ERROR: %1 (5)").arg(qt_error_string(EIO)));
    link.HidCtlDeviceDataError(nullptr, 0x1F);
    QVERIFY(link.eventLog.last().endsWith(QStringLiteral(" (1F)")));
}

// What goes wrong with a connected cable is told, with its node, once until
// the cable delivers again; the window's boxes stay as they were.
void TestLinkControl::troublesAreToldOnceUntilDataComes()
{
    QStringList told;
    {
        // A cable whose descriptor declares no input report can never deliver.
        SimulatedHidPlatform::Interface mute = SimulatedHidPlatform::cable(kCable);
        mute.caps.InputReportByteLength = 0;
        Fixture f({mute});
        LinkControl &link = f.load();
        link.onTrouble = [&](const QString &trouble) { told << trouble; };
        link.toggleConnection();
        QCOMPARE(told, QStringList{QString::fromLatin1(kCable) +
                                   ": its report descriptor declares no input report; no reading can arrive"});
        link.toggleConnection();
    }
    told.clear();
    SimulatedHidPlatform::Interface failing = SimulatedHidPlatform::cable(kCable);
    failing.featureFails = true;
    Fixture f({failing});
    LinkControl &link = f.load();
    link.onTrouble = [&](const QString &trouble) { told << trouble; };
    link.toggleConnection();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].startsWith(QString::fromLatin1(kCable) + ": the cable's settings could not be written: "),
             qPrintable(told[0]));
    QVERIFY(link.troubled());
    QVERIFY(f.boxes.shown.isEmpty());

    f.platform.failNextRead(kCable, EIO);
    QTRY_COMPARE(told.size(), 2);
    QCOMPARE(told[1], QString::fromLatin1(kCable) + ": reading failed: " + qt_error_string(EIO));
    link.HidCtlDeviceDataError(link.devices[1].device.get(), EIO); // the same again: not told twice
    QCOMPARE(told.size(), 2);
    link.dataArrived();
    QVERIFY(!link.troubled());
    link.HidCtlDeviceDataError(link.devices[1].device.get(), EIO);
    QCOMPARE(told.size(), 3);
}

QTEST_GUILESS_MAIN(TestLinkControl)
#include "tst_linkcontrol.moc"

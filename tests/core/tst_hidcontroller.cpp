#include "core/hid/HidControllerClass.h"
#include "platform/hid/SimulatedHidPlatform.h"
#include "platform/sim/MeterSimulator.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <functional>

namespace {

const QByteArray kCable = "/dev/sim/cable";
const QByteArray kMouse = "/dev/sim/mouse";

// Receives every event of the HID layer and logs it.
struct Recorder
{
    QStringList log;
    QList<QByteArray> reports;
    QList<Qt::HANDLE> reportThreads;
    bool goOnAfterFirst = true;
    std::function<void()> afterReport; // runs inside the data callback

    static QString nameOf(THidDevice *device) { return QString::fromLatin1(device->PnPInfo().DevicePath); }

    void onArrival(THidDevice *HidDev) { log << "arrival " + nameOf(HidDev); }
    void onRemoval(THidDevice *HidDev) { log << "removal " + nameOf(HidDev); }
    void onUnplug(THidDevice *HidDev) { log << "unplug " + nameOf(HidDev); }
    void onChange(QObject *) { log << "change"; }
    bool onEnumerate(THidDevice *HidDev, int Idx)
    {
        log << QStringLiteral("enumerate %1 %2").arg(nameOf(HidDev)).arg(Idx);
        return Idx == 0 ? goOnAfterFirst : true;
    }
    void onData(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
    {
        reports << QByteArray(1, char(ReportID)) + QByteArray(reinterpret_cast<const char *>(Data), Size);
        reportThreads << QThread::currentThreadId();
        if (afterReport)
            afterReport();
    }
    void otherData(THidDevice *, quint8, const quint8 *, quint16) { log << "other data"; }
    void onDataError(THidDevice *, quint32 Error) { log << QStringLiteral("error %1").arg(Error); }
    void otherDataError(THidDevice *, quint32) {}
};

QByteArray report(std::initializer_list<int> bytes)
{
    QByteArray r;
    for (int b : bytes)
        r.append(char(b));
    return r;
}

struct Fixture
{
    SimulatedHidPlatform platform;
    Recorder recorder;
    std::unique_ptr<THidDeviceController> controller;

    explicit Fixture(bool withCable = true)
    {
        platform.plug(SimulatedHidPlatform::otherDevice(kMouse, QStringLiteral("Mouse")));
        if (withCable)
            platform.plug(SimulatedHidPlatform::cable(kCable));
    }
    THidDeviceController &create()
    {
        controller = std::make_unique<THidDeviceController>(platform);
        return *controller;
    }
    THidDevice *device(const QByteArray &path) const
    {
        for (THidDevice *d : controller->DeviceList) {
            if (d->PnPInfo().DevicePath == path)
                return d;
        }
        return nullptr;
    }
    THidDevice *checkOut(const QByteArray &path)
    {
        return controller->CheckOutAt(int(controller->DeviceList.indexOf(device(path))));
    }
};

} // namespace

class TestHidController : public QObject
{
    Q_OBJECT

private slots:
    void callbacksCompareByCode();
    void devicesThatCannotBeBuilt_data();
    void devicesThatCannotBeBuilt();
    void serialNumber_data();
    void serialNumber();
    void threadSleepTime();
    void reportsReachTheGuiThreadInOrder();
    void readingStartsOnlyWhenHeldWithReadWriteAccess();
    void stoppingDeliversWhatWasHandedOver();
    void stoppingFromACallbackDropsTheRestOfTheBatch();
    void handOverIsBoundedInTime();
    void readErrorsAreReported();
    void theFileIsReadOnlyWhileReading();
    void checkInLeavesAFreshDevice();
    void secondControllerIsRefused();
    void missingLibraries_data();
    void missingLibraries();
    void enumerate_data();
    void enumerate();
    void checkOutRefusals();
    void deviceChangeNotifiesOnlyRealChanges();
    void unplugAndReplugACheckedOutDevice();
    void propagatedSettings();
};

void TestHidController::callbacksCompareByCode()
{
    Recorder a;
    Recorder b;
    const THidPlugEvent aArrival(&a, &Recorder::onArrival);
    QVERIFY(aArrival.sameCode(THidPlugEvent(&b, &Recorder::onArrival)));
    QVERIFY(!aArrival.sameCode(THidPlugEvent(&a, &Recorder::onRemoval)));
    QVERIFY(!aArrival.sameCode(THidPlugEvent()));
    QVERIFY(THidPlugEvent().sameCode(THidPlugEvent()));
    QVERIFY(!THidPlugEvent().assigned());
}

void TestHidController::devicesThatCannotBeBuilt_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("listed");
    QTest::newRow("open fails") << 0 << "device cannot be opened" << false;
    QTest::newRow("attributes fail") << 1 << "device cannot be identified" << false;
    QTest::newRow("query-only access") << 2 << "" << true;
}

void TestHidController::devicesThatCannotBeBuilt()
{
    QFETCH(int, fault);
    QFETCH(QString, message);
    QFETCH(bool, listed);
    Fixture f;
    SimulatedHidPlatform::Interface &cable = f.platform.interface(kCable);
    cable.openFails = fault == 0;
    cable.attributesFail = fault == 1;
    cable.queryOnly = fault == 2;

    f.platform.BindSetupApi();
    f.platform.BindHid();
    try {
        THidDevice device(std::make_unique<THidPnPInfo>(HidInterfaceInfo{9, kCable}), nullptr, f.platform);
        QVERIFY(message.isEmpty());
        QVERIFY(!device.ReadWriteAccess);
        QCOMPARE(device.Attributes.VendorID, quint16(0x1234));
    } catch (const EControllerError &error) {
        QCOMPARE(QString::fromLatin1(error.what()), message);
    }
    f.platform.UnbindHid();
    f.platform.UnbindSetupApi();

    // The controller's scan leaves out what cannot be built, without a word.
    f.create();
    QCOMPARE(bool(f.device(kCable)), listed);
    QVERIFY(f.device(kMouse));
}

void TestHidController::serialNumber_data()
{
    QTest::addColumn<QVariant>("serial");
    QTest::addColumn<bool>("answersWithLanguages");
    QTest::addColumn<QList<char16_t>>("languages");
    QTest::addColumn<QString>("expected");
    const QList<char16_t> english{0x0409};
    QTest::newRow("no serial") << QVariant() << false << english << "";
    QTest::newRow("a serial") << QVariant("A1B2") << false << english << "A1B2";
    QTest::newRow("serial is the language list") << QVariant() << true << english << "";
    QTest::newRow("serial starts like the list") << QVariant(QString(QChar(0x0409)) + "XY") << false << english << "";
    QTest::newRow("empty language list") << QVariant("A1B2") << false << QList<char16_t>{} << "";
    QTest::newRow("two languages") << QVariant("A1B2") << false << QList<char16_t>{0x0409, 0x0407} << "A1B2";
}

void TestHidController::serialNumber()
{
    QFETCH(QVariant, serial);
    QFETCH(bool, answersWithLanguages);
    QFETCH(QList<char16_t>, languages);
    QFETCH(QString, expected);
    Fixture f;
    SimulatedHidPlatform::Interface &cable = f.platform.interface(kCable);
    cable.serial = serial.isValid() ? std::optional<QString>(serial.toString()) : std::nullopt;
    cable.serialIsLanguageList = answersWithLanguages;
    cable.languages = languages;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    QCOMPARE(device->SerialNumber(), expected);
    QCOMPARE(device->ProductName(), QStringLiteral("USB to Serial"));
    QCOMPARE(device->Capabilities().InputReportByteLength, quint16(9));
    delete device;
}

void TestHidController::threadSleepTime()
{
    Fixture f;
    f.create();
    THidDevice *device = f.device(kCable);
    for (const auto &[value, kept] : std::initializer_list<std::pair<int, int>>{
             {5, 100}, {20000, 100}, {10, 10}, {10000, 10000}, {9, 10000}, {10001, 10000}}) {
        device->setThreadSleepTime(value);
        QCOMPARE(device->ThreadSleepTime(), kept);
    }
}

void TestHidController::reportsReachTheGuiThreadInOrder()
{
    Fixture f;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QVERIFY(device->ReadThread());

    QList<QByteArray> sent;
    for (int i = 0; i < 50; ++i)
        sent << report({0, 0xF7, i, 2, 3, 4, 5, 6, 7});
    sent << report({0}); // only the report ID: Size 0
    for (const QByteArray &r : sent)
        f.platform.pushReport(kCable, r);
    QTRY_COMPARE(f.recorder.reports.size(), sent.size());
    QCOMPARE(f.recorder.reports, sent);
    for (Qt::HANDLE thread : f.recorder.reportThreads)
        QCOMPARE(thread, QThread::currentThreadId());
    delete device;
}

void TestHidController::readingStartsOnlyWhenHeldWithReadWriteAccess()
{
    Fixture f;
    f.platform.interface(kMouse).queryOnly = true;
    f.create();
    THidDevice *cable = f.device(kCable);
    cable->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QVERIFY(!cable->ReadThread()); // not checked out: stored only
    f.checkOut(kCable);
    QVERIFY(cable->ReadThread());

    THidDevice *mouse = f.checkOut(kMouse);
    QVERIFY(!mouse->ReadWriteAccess);
    mouse->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QVERIFY(!mouse->ReadThread());
    delete mouse;
    delete cable;
}

void TestHidController::stoppingDeliversWhatWasHandedOver()
{
    Fixture f;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    f.platform.pushReport(kCable, report({0, 1}));
    // Let the thread hand the report over, without serving it.
    for (int i = 0; i < 5000 && device->handOff().pending() == 0; ++i)
        QThread::msleep(1);
    QCOMPARE(device->handOff().pending(), size_t(1));
    QVERIFY(f.recorder.reports.isEmpty());
    device->setOnData({});
    QVERIFY(!device->ReadThread());
    QCOMPARE(f.recorder.reports.size(), 1); // delivered when the thread has ended
    delete device;
}

void TestHidController::stoppingFromACallbackDropsTheRestOfTheBatch()
{
    Fixture f;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    f.recorder.afterReport = [&] { device->setOnData({}); };
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    for (int i = 0; i < 5; ++i)
        f.platform.pushReport(kCable, report({0, i}));
    QTRY_COMPARE(f.recorder.reports.size(), 1);
    QVERIFY(!device->ReadThread());
    QTest::qWait(3 * int(HidHandOff::MaxDelay.count()));
    QCOMPARE(f.recorder.reports.size(), 1);
    delete device;
}

// Reports read together are handed over together, and never later than
// MaxDelay after they were read, however long the read thread's wait slice;
// an error is handed over at once.
void TestHidController::handOverIsBoundedInTime()
{
    Fixture f;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    device->OnDataError = THidDataErrorEvent(&f.recorder, &Recorder::onDataError);
    device->setThreadSleepTime(10000);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QList<QByteArray> sent;
    for (int i = 0; i < 5; ++i) {
        sent << report({0, i});
        f.platform.pushReport(kCable, sent.last());
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.recorder.reports.size(), sent.size(), 3000);
    QCOMPARE(f.recorder.reports, sent);

    f.platform.failNextRead(kCable, EIO);
    QTRY_VERIFY_WITH_TIMEOUT(f.recorder.log.contains(QStringLiteral("error %1").arg(EIO)), 3000);
    delete device;
}

void TestHidController::readErrorsAreReported()
{
    Fixture f;
    f.create();
    THidDevice *device = f.checkOut(kCable);
    device->OnDataError = THidDataErrorEvent(&f.recorder, &Recorder::onDataError);
    device->setThreadSleepTime(10);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    f.platform.failNextRead(kCable, EIO);
    QTRY_VERIFY(f.recorder.log.contains(QStringLiteral("error %1").arg(EIO)));
    f.platform.pushReport(kCable, report({0, 7})); // reading goes on
    QTRY_COMPARE(f.recorder.reports.size(), 1);

    // A read that cannot start is reported too, at most once a slice.
    f.platform.failReadStarts(kCable, EPERM);
    f.platform.pushReport(kCable, report({0, 8}));
    QTRY_VERIFY(f.recorder.log.contains(QStringLiteral("error %1").arg(EPERM)));
    delete device;
}

// Stopping closes the read file: nothing wakes for reports nobody reads, and
// the simulated meter, which talks only while its cable is read, falls silent.
void TestHidController::theFileIsReadOnlyWhileReading()
{
    Fixture f;
    f.create();
    MeterSimulator meter(f.platform, kCable);
    meter.start();
    QVERIFY(!meter.talking());
    THidDevice *device = f.checkOut(kCable);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QTRY_COMPARE(f.platform.readers(kCable), 1);
    QTRY_VERIFY(meter.talking());
    f.platform.pushReport(kCable, report({0, 1}));
    QTRY_COMPARE(f.recorder.reports.size(), 1);
    device->setOnData({});
    QCOMPARE(f.platform.readers(kCable), 0);
    QTRY_VERIFY(!meter.talking());
    // Reading again opens the file again.
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    QTRY_COMPARE(f.platform.readers(kCable), 1);
    meter.stop();
    QVERIFY(!meter.talking());
    delete device;
    QCOMPARE(f.platform.readers(kCable), 0);
}

void TestHidController::checkInLeavesAFreshDevice()
{
    Fixture f;
    f.create();
    const qsizetype position = f.controller->DeviceList.indexOf(f.device(kCable));
    THidDevice *device = f.checkOut(kCable);
    device->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    device->OnUnplug = THidPlugEvent(&f.recorder, &Recorder::onUnplug);
    device->setThreadSleepTime(20);
    QVERIFY(device->ReadThread());
    delete device;

    THidDevice *fresh = f.controller->DeviceList.at(position);
    QCOMPARE(fresh->PnPInfo().DevicePath, kCable);
    QVERIFY(!fresh->CheckedOut);
    QVERIFY(!fresh->ReadThread());
    QVERIFY(fresh->OnData().sameCode(THidDataEvent(&f.recorder, &Recorder::onData)));
    QVERIFY(fresh->OnUnplug.sameCode(THidPlugEvent(&f.recorder, &Recorder::onUnplug)));
    QCOMPARE(fresh->ThreadSleepTime(), 20);

    // Checking out the fresh object starts its reading.
    QCOMPARE(f.controller->CheckOutAt(int(position)), fresh);
    QVERIFY(fresh->ReadThread());
    delete fresh;
}

void TestHidController::secondControllerIsRefused()
{
    Fixture f;
    f.create();
    try {
        THidDeviceController second(f.platform);
        QFAIL("a second controller was built");
    } catch (const EControllerError &error) {
        QCOMPARE(QString::fromLatin1(error.what()),
                 QStringLiteral("Only one THidDeviceController allowed per program"));
    }
    QVERIFY(f.platform.HidBound());
    QCOMPARE(f.platform.setupApiUseCount(), 1);
    f.controller->DeviceChange();
    QCOMPARE(f.controller->DeviceList.size(), 2);
    f.controller.reset();
    QCOMPARE(f.platform.setupApiUseCount(), 0);
    QVERIFY(!f.platform.HidBound());
    THidDeviceController again(f.platform); // the count went back
}

void TestHidController::missingLibraries_data()
{
    QTest::addColumn<bool>("setupApi");
    QTest::addColumn<bool>("hid");
    QTest::addColumn<bool>("enumeration");
    QTest::newRow("no enumeration library") << false << true << true;
    QTest::newRow("no HID library") << true << false << true;
    QTest::newRow("enumeration fails") << true << true << false;
}

void TestHidController::missingLibraries()
{
    QFETCH(bool, setupApi);
    QFETCH(bool, hid);
    QFETCH(bool, enumeration);
    Fixture f;
    f.platform.setupApiAvailable = setupApi;
    f.platform.hidAvailable = hid;
    f.platform.enumerationFails = !enumeration;
    THidDeviceController &controller = f.create();
    QVERIFY(controller.DeviceList.isEmpty());
    QCOMPARE(f.platform.watching(), setupApi && hid);
    QCOMPARE(controller.Enumerate(), 0);
    controller.setOnDeviceChange(TNotifyEvent(&f.recorder, &Recorder::onChange));
    QCOMPARE(f.recorder.log, QStringList{"change"});
}

void TestHidController::enumerate_data()
{
    QTest::addColumn<bool>("handler");
    QTest::addColumn<bool>("goOnAfterFirst");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("calls");
    QTest::newRow("no handler") << false << true << 1 << 0;
    QTest::newRow("handler goes on") << true << true << 2 << 2;
    QTest::newRow("handler stops at the first") << true << false << 1 << 1;
}

void TestHidController::enumerate()
{
    QFETCH(bool, handler);
    QFETCH(bool, goOnAfterFirst);
    QFETCH(int, count);
    QFETCH(int, calls);
    Fixture f;
    f.recorder.goOnAfterFirst = goOnAfterFirst;
    THidDeviceController &controller = f.create();
    if (handler)
        controller.OnEnumerate = THidEnumerateEvent(&f.recorder, &Recorder::onEnumerate);
    QCOMPARE(controller.Enumerate(), count);
    QCOMPARE(f.recorder.log.size(), calls);
    if (calls > 0)
        QCOMPARE(f.recorder.log.first(), QStringLiteral("enumerate /dev/sim/mouse 0"));
}

void TestHidController::checkOutRefusals()
{
    Fixture f;
    THidDeviceController &controller = f.create();
    QCOMPARE(controller.CheckOutAt(-1), nullptr);
    QCOMPARE(controller.CheckOutAt(2), nullptr);
    THidDevice *device = controller.CheckOutAt(1);
    QVERIFY(device);
    QCOMPARE(controller.CheckOutAt(1), nullptr);
    delete device;
}

void TestHidController::deviceChangeNotifiesOnlyRealChanges()
{
    Fixture f(false);
    THidDeviceController &controller = f.create();
    controller.DeviceChange(); // nothing assigned yet: nothing to call
    controller.setOnDeviceChange(TNotifyEvent(&f.recorder, &Recorder::onChange));
    QCOMPARE(f.recorder.log, QStringList{"change"});
    controller.OnArrival = THidPlugEvent(&f.recorder, &Recorder::onArrival);
    controller.OnRemoval = THidPlugEvent(&f.recorder, &Recorder::onRemoval);

    controller.DeviceChange();                                                    // unchanged system
    controller.setOnDeviceChange(TNotifyEvent(&f.recorder, &Recorder::onChange)); // same code
    Recorder other;
    controller.setOnDeviceChange(TNotifyEvent(&other, &Recorder::onChange)); // same code, other receiver
    QCOMPARE(f.recorder.log, QStringList{"change"});

    f.platform.plug(SimulatedHidPlatform::cable(kCable));
    f.platform.notifyChange();
    QCOMPARE(f.recorder.log, QStringList({"change", "arrival /dev/sim/cable", "change"}));
}

void TestHidController::unplugAndReplugACheckedOutDevice()
{
    Fixture f;
    THidDeviceController &controller = f.create();
    controller.setOnDeviceUnplug(THidPlugEvent(&f.recorder, &Recorder::onUnplug));
    controller.setOnDeviceChange(TNotifyEvent(&f.recorder, &Recorder::onChange));
    controller.OnArrival = THidPlugEvent(&f.recorder, &Recorder::onArrival);
    controller.OnRemoval = THidPlugEvent(&f.recorder, &Recorder::onRemoval);
    THidDevice *held = f.checkOut(kCable);
    held->OnDataError = THidDataErrorEvent(&f.recorder, &Recorder::onDataError);
    held->setThreadSleepTime(10);
    held->setOnData(THidDataEvent(&f.recorder, &Recorder::onData));
    f.recorder.log.clear();

    f.platform.unplug(kCable);
    f.platform.notifyChange();
    QCOMPARE(f.recorder.log.mid(0, 3), QStringList({"unplug /dev/sim/cable", "removal /dev/sim/cable", "change"}));
    QVERIFY(controller.DeviceList.contains(held));
    QVERIFY(!held->PluggedIn);
    // Its reads fail now; they are reported, not fatal.
    QTRY_VERIFY(f.recorder.log.contains(QStringLiteral("error %1").arg(ENODEV)));

    // Still listed, so every change reports it removed again.
    f.recorder.log.clear();
    controller.DeviceChange();
    QCOMPARE(f.recorder.log.filter("removal"), QStringList{"removal /dev/sim/cable"});

    delete held;
    QCOMPARE(controller.DeviceList.size(), 1);

    f.recorder.log.clear();
    f.platform.replug(kCable);
    f.platform.notifyChange();
    QCOMPARE(f.recorder.log, QStringList({"arrival /dev/sim/cable", "change"}));
    QVERIFY(f.device(kCable) && f.device(kCable) != held);
}

void TestHidController::propagatedSettings()
{
    Fixture f;
    THidDeviceController &controller = f.create();
    THidDevice *mouse = f.device(kMouse);
    THidDevice *cable = f.device(kCable);
    mouse->setThreadSleepTime(30);
    controller.setDevThreadSleepTime(50);
    QCOMPARE(cable->ThreadSleepTime(), 50);
    QCOMPARE(mouse->ThreadSleepTime(), 30);

    controller.setOnDeviceDataError(THidDataErrorEvent(&f.recorder, &Recorder::onDataError));
    QVERIFY(cable->OnDataError.assigned());
    cable->OnDataError = THidDataErrorEvent(&f.recorder, &Recorder::otherDataError);
    controller.setOnDeviceDataError(THidDataErrorEvent());
    QVERIFY(!mouse->OnDataError.assigned());
    QVERIFY(cable->OnDataError.assigned()); // it had another handler

    controller.setOnDeviceData(THidDataEvent(&f.recorder, &Recorder::otherData));
    QVERIFY(mouse->OnData().assigned());

    f.platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/keyboard", QStringLiteral("Keyboard")));
    controller.setOnDeviceDataError(THidDataErrorEvent(&f.recorder, &Recorder::onDataError));
    controller.DeviceChange();
    THidDevice *keyboard = f.device("/dev/sim/keyboard");
    QCOMPARE(keyboard->ThreadSleepTime(), 100);
    QVERIFY(!keyboard->OnDataError.assigned());
    QVERIFY(keyboard->OnData().sameCode(THidDataEvent(&f.recorder, &Recorder::otherData)));
    QCOMPARE(controller.Version(), QStringLiteral("1.0.22"));
    controller.setVersion(QStringLiteral("2.0"));
    QCOMPARE(controller.Version(), QStringLiteral("1.0.22"));
}

QTEST_GUILESS_MAIN(TestHidController)
#include "tst_hidcontroller.moc"

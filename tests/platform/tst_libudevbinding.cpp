#include "platform/hid/Libudev.h"
#include "platform/modules/ModuleLoader.h"

#include <QTest>

#include <dlfcn.h>

namespace {

// Whether the library is loaded in this process right now.
bool loaded(const char *file)
{
    void *handle = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

} // namespace

class TestLibudevBinding : public QObject
{
    Q_OBJECT

private slots:
    void moduleLoader();
    void bindsWhenEveryExportIsThere();
    void missingEnumerationExportBindsNothing();
    void missingDeviceExportBindsNothing();
};

void TestLibudevBinding::moduleLoader()
{
    ModuleHandle handle = nullptr;
    QVERIFY(!ModuleOpen(handle, "/nonexistent/libnothing.so"));
    QVERIFY(ModuleOpen(handle, FAKE_UDEV_FULL));
    ModuleHandle before = handle;
    QVERIFY(ModuleOpen(handle, "/nonexistent/libnothing.so")); // held: nothing loaded
    QCOMPARE(handle, before);

    bool allFound = true;
    QVERIFY(ModuleSymbolAll(handle, "udev_new", allFound));
    QVERIFY(allFound);
    QVERIFY(!ModuleSymbolAll(handle, "no_such_export", allFound));
    QVERIFY(!allFound);
    QVERIFY(ModuleSymbolAll(handle, "udev_new", allFound));
    QVERIFY(!allFound); // never set again
    QVERIFY(!ModuleSymbol(nullptr, "udev_new"));

    ModuleClose(handle);
    QVERIFY(!handle);
    QVERIFY(!loaded(FAKE_UDEV_FULL));
}

void TestLibudevBinding::bindsWhenEveryExportIsThere()
{
    Libudev udev(FAKE_UDEV_FULL);
    QVERIFY(udev.BindSetupApi());
    QVERIFY(udev.BindSetupApi()); // a second use loads nothing more
    QVERIFY(udev.BindHid());
    QVERIFY(udev.HidBound());
    QVERIFY(udev.enumeration.udev_enumerate_new);
    QVERIFY(udev.device.udev_monitor_unref);

    udev.UnbindHid();
    QVERIFY(!udev.HidBound());
    QVERIFY(!udev.device.udev_monitor_unref);
    udev.UnbindSetupApi();
    QVERIFY(udev.SetupApiBound()); // one use left
    QVERIFY(loaded(FAKE_UDEV_FULL));
    udev.UnbindSetupApi();
    QVERIFY(!udev.SetupApiBound());
    QVERIFY(!udev.enumeration.udev_new);
    QVERIFY(!loaded(FAKE_UDEV_FULL));
}

void TestLibudevBinding::missingEnumerationExportBindsNothing()
{
    Libudev udev(FAKE_UDEV_WITHOUT_ENUMERATE_NEW);
    QVERIFY(!udev.BindSetupApi());
    QVERIFY(!udev.SetupApiBound());
    QVERIFY(!udev.enumeration.udev_new); // found, then emptied again
    QVERIFY(!loaded(FAKE_UDEV_WITHOUT_ENUMERATE_NEW));
}

void TestLibudevBinding::missingDeviceExportBindsNothing()
{
    Libudev udev(FAKE_UDEV_WITHOUT_MONITOR_UNREF);
    QVERIFY(udev.BindSetupApi());
    QVERIFY(!udev.BindHid());
    QVERIFY(!udev.HidBound());
    QVERIFY(!udev.device.udev_device_new_from_syspath);
    udev.UnbindSetupApi();
    QVERIFY(!loaded(FAKE_UDEV_WITHOUT_MONITOR_UNREF));
}

QTEST_APPLESS_MAIN(TestLibudevBinding)
#include "tst_libudevbinding.moc"

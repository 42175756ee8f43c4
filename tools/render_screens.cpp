// Renders the main window in a few typical states to PNG files, for looking
// at the screens and for the pictures in docs/. Usage: mx840-screens DIR
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QApplication>
#include <QDir>
#include <QTest>

namespace {

struct Scene
{
    const char *name;
    QList<QByteArray> displayTexts; // shown in order
    int flashTicks = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    // Display texts: main digits right to left, point, small digits right to
    // left, small point, flags, "DA".
    const QList<Scene> scenes{
        {"self-test", {}},
        {"rpm-point",
         {"539213000005"
          "0201DA"}},
        {"count",
         {"248000000005"
          "0002DA"}},
        {"overload",
         {"GGLGG5000005"
          "0201DA"}},
        {"hold-max-small",
         {"00521500931"
          "2"
          "0611DA"}},
        {"dial-500",
         {"005005000005"
          "0201DA"}},
        {"dial-1000",
         {"000015000005"
          "0201DA"}},
        {"flashing",
         {"539213000005"
          "0201DA"},
         2},
    };
    for (const Scene &scene : scenes) {
        SimulatedHidPlatform platform;
        Windows windows(platform);
        TFrmTest &frm = *windows.FrmTest;
        frm.show();
        if (!QTest::qWaitForWindowExposed(&frm))
            return 1;
        for (const QByteArray &text : scene.displayTexts)
            frm.ShowData618(text);
        for (int i = 0; i < scene.flashTicks; ++i)
            frm.FlashTimeTimer();
        frm.refreshNow();
        QTest::qWait(50);
        frm.grab().save(QDir(dir).filePath(QString::fromLatin1(scene.name) + QStringLiteral(".png")));
    }
    return 0;
}

// The whole window on the simulated cable: CONNECT, frames from the simulated
// meter on the LCD and the dial, DISCONNECT.
#include "AnsweringDialogs.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/display/DialPanel.h"
#include "gui/widgets/Panel.h"
#include "platform/hid/SimulatedHidPlatform.h"
#include "platform/sim/MeterSimulator.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

const QByteArray kCable = "/dev/sim/cable";

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void connectShowsLiveReadings();
    void windowEndsCleanlyOnSignals();
};

void TestEndToEnd::connectShowsLiveReadings()
{
    SimulatedHidPlatform platform;
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/mouse", QStringLiteral("Mouse")));
    platform.plug(SimulatedHidPlatform::cable(kCable));
    MeterSimulator meter(platform, kCable);
    Windows windows(platform);
    TFrmTest &frm = *windows.FrmTest;
    AnsweringDialogs answers;
    frm.setDialogs(&answers);
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    QCOMPARE(frm.DevListBox->count(), 2);
    QCOMPARE(frm.DevListBox->currentRow(), 1);

    // The meter waits for the cable's configuration.
    for (int i = 0; i < 20; ++i)
        meter.tick();
    QTest::mouseClick(frm.Panel2, Qt::LeftButton);
    QCOMPARE(frm.Panel2->caption(), QStringLiteral("DISCONNECT"));
    QCOMPARE(frm.HistoryListBox->currentItem()->text(), QStringLiteral("00 60 09 00 00 03 00 00 00 00 "));

    const QPoint startTip = frm.session.dial.LastNeedleTip;
    // Twelve frames: sixty reports, within what the cable buffers (a burst
    // beyond it would drop reports and splice frames, as a real buffer would).
    for (int i = 0; i < 5 * 12; ++i) {
        meter.tick();
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(frm.session.state.ReadingUnit == QStringLiteral("RPM"));
    QVERIFY(frm.session.state.ReadingText != QStringLiteral("00000"));
    QVERIFY(frm.session.dial.LastNeedleTip != startTip);
    frm.refreshNow();
    QVERIFY(frm.KD->CONok->isVisibleTo(frm.KD) || frm.KD->CONokN->isVisibleTo(frm.KD));
    QVERIFY(answers.shown.isEmpty());

    // Another device plugged in meanwhile: the readings go on.
    platform.plug(SimulatedHidPlatform::otherDevice("/dev/sim/pad", QStringLiteral("Pad")));
    platform.notifyChange();
    const qsizetype rows = frm.session.cds1.rowCount();
    for (int i = 0; i < 5 * 4; ++i) {
        meter.tick();
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(frm.session.cds1.rowCount() > rows);
    QCOMPARE(frm.Panel2->caption(), QStringLiteral("DISCONNECT"));

    QTest::mouseClick(frm.Panel2, Qt::LeftButton);
    QCOMPARE(frm.Panel2->caption(), QStringLiteral("CONNECT"));
    QCOMPARE(platform.featureReports(kCable).size(), 2);
    QVERIFY(!frm.link->devices[1].device->ReadThread());
}

// A logout or a kill closes the window as its close box does: the program
// ends normally instead of dying.
void TestEndToEnd::windowEndsCleanlyOnSignals()
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QProcess program;
        program.start(qEnvironmentVariable("MX840"), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted());
        QTest::qWait(1000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

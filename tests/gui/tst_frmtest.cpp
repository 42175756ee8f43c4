#include "InputReportStreams.h"
#include "gui/about/FrmAbout.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DialPanel.h"
#include "gui/display/VirtualLcd.h"
#include "gui/reports/FrmPrint.h"
#include "gui/search/FrmSearch.h"
#include "gui/store/FrmStore.h"
#include "gui/widgets/Panel.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestFrmTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { windows = std::make_unique<Windows>(platform); }
    void cleanup() { windows.reset(); }

    void windowsAreCreatedHiddenExceptTheMain();
    void mainWindowIsFixedAndCentred();
    void areasLieWhereTheyBelong();
    void firstScreenState();
    void menuBar();
    void hiddenAndOffscreenControls();
    void timers();
    void comItemsToggleAndSelect();
    void endingTheProgram_data();
    void endingTheProgram();
    void reportsReachTheWindow();

private:
    TFrmTest &frm() { return *windows->FrmTest; }
    SimulatedHidPlatform platform;
    std::unique_ptr<Windows> windows;
};

void TestFrmTest::windowsAreCreatedHiddenExceptTheMain()
{
    QCOMPARE(windows->FrmAbout->windowTitle(), QStringLiteral("About"));
    QCOMPARE(windows->Frmprint->windowTitle(), QStringLiteral("Print Style"));
    QCOMPARE(windows->Frmstore->windowTitle(), QStringLiteral("Store "));
    QCOMPARE(windows->Frmsearch->windowTitle(), QStringLiteral("Search"));
    QVERIFY(windows->Frmprint->ReportPictureFile.isEmpty());
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    for (QWidget *w : std::initializer_list<QWidget *>{windows->FrmAbout.get(), windows->Frmprint.get(),
                                                       windows->Frmstore.get(), windows->Frmsearch.get()})
        QVERIFY(!w->isVisible());
}

void TestFrmTest::mainWindowIsFixedAndCentred()
{
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    QCOMPARE(frm().windowTitle(), QStringLiteral("MX840 Interface Software V2.01"));
    QCOMPARE(frm().client->size(), QSize(687, 492));
    QCOMPARE(frm().client->y(), frm().menuBar()->height());
    QCOMPARE(frm().minimumSize(), frm().maximumSize());
    QVERIFY(!(frm().windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(frm().windowFlags() & Qt::WindowMinimizeButtonHint);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Centred before the window manager adds its frame, so allow for the frame.
    QVERIFY((frm().frameGeometry().center() - screenCentre).manhattanLength() <= 8);
}

void TestFrmTest::areasLieWhereTheyBelong()
{
    const QList<std::pair<QWidget *, QRect>> areas{
        {frm().Panel2, {476, 4, 117, 29}},
        {frm().Panel3, {596, 4, 87, 29}},
        {frm().Panel9, {0, 34, 313, 205}},
        {frm().PBar2, {2, 241, 311, 17}},
        {frm().Panel7, {2, 256, 311, 31}},
        {frm().DBGrid1, {2, 288, 311, 201}},
        {frm().KD, {312, 34, 369, 157}},
        {frm().Chtshow, {314, 192, 371, 297}},
        // record panel, in panel coordinates
        {frm().RepeatSet, {3, 5, 54, 20}},
        {frm().RecordSI, {56, 4, 141, 21}},
        {frm().RecordSITime, {156, 4, 25, 22}},
        {frm().SpeedButton1, {198, 4, 25, 21}},
        {frm().SpeedButton2, {224, 4, 25, 21}},
        {frm().SpeedButton3, {250, 4, 25, 21}},
        {frm().MajPrint, {276, 4, 27, 21}},
    };
    for (const auto &[widget, geometry] : areas)
        QCOMPARE(widget->geometry(), geometry);
    // The edit covers the blank run of the sampling caption, and sits above it.
    QVERIFY(frm().RecordSI->geometry().contains(frm().RecordSITime->geometry().center()));
    QVERIFY(frm().Panel7->children().indexOf(frm().RecordSITime) > frm().Panel7->children().indexOf(frm().RecordSI));
}

void TestFrmTest::firstScreenState()
{
    QCOMPARE(frm().Panel2->caption(), QStringLiteral("CONNECT"));
    QCOMPARE(frm().Panel3->caption(), QStringLiteral("EXIT"));
    QCOMPARE(frm().Panel2->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(frm().RepeatSet->isChecked());
    QCOMPARE(frm().RepeatSet->text(), QStringLiteral("Repeat"));
    QVERIFY(!frm().RecordSI->isChecked());
    QCOMPARE(frm().RecordSI->text(), QStringLiteral("Sampling Interval          'S"));
    QCOMPARE(frm().RecordSITime->text(), QStringLiteral("10"));
    QCOMPARE(frm().SpeedButton1->toolTip(), QStringLiteral("Save Data"));
    QCOMPARE(frm().SpeedButton2->toolTip(), QStringLiteral("Delete Data"));
    QCOMPARE(frm().SpeedButton3->toolTip(), QStringLiteral("Open Data"));
    QCOMPARE(frm().MajPrint->toolTip(), QStringLiteral("Print Data"));
    QCOMPARE(frm().RepeatSet->toolTip(), QStringLiteral("Repeage Record"));
    // The window's icon, for the window manager: the program's badge.
    const QImage icon = frm().windowIcon().pixmap(32, 32).toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(icon.pixelColor(16, 5), QColor(0x3b, 0x3f, 0x46)); // the case, above the display

    const ModuleState &s = frm().session.state;
    QCOMPARE(s.PortSelection, qint8(5));
    QVERIFY(s.FollowLastPage);
    QCOMPARE(s.ReadingText, QStringLiteral("00000"));
    QCOMPARE(s.DecimalPosition, qint8(6));
    QCOMPARE(s.DialScale, 120);
    QCOMPARE(frm().session.recordPolicy.NextRecordNo, 1);
    QCOMPARE(s.RecordLimit, 10000);
    QCOMPARE(s.DataReportPages, 1);
}

void TestFrmTest::menuBar()
{
    QStringList titles;
    for (QAction *menu : frm().menuBar()->actions())
        titles << menu->text() + (menu->isVisible() ? "" : " (hidden)");
    QCOMPARE(titles, QStringList({"File", "ComSet (hidden)", "Graph", "Record", "About (hidden)"}));

    auto items = [](QMenu *menu) {
        QStringList list;
        for (QAction *a : menu->actions())
            list << (a->isSeparator() ? QStringLiteral("-") : a->text()) + (a->isVisible() ? "" : " (hidden)") +
                        (a->isChecked() ? " (checked)" : "");
        return list;
    };
    QCOMPARE(items(frm().fileMenu), QStringList({"  New", "  Open", "  Save As...", "-", "  Print", "-", "   Exit"}));
    QCOMPARE(items(frm().Comset), QStringList({" COM", "-", " USB"}));
    QCOMPARE(items(frm().COM), QStringList({"COM1", "COM2", "COM3", "COM4"}));
    QCOMPARE(items(frm().graphMenu), QStringList({" Save Whole", " GoTo", " Fill (checked)", " Clear"}));
    QCOMPARE(items(frm().Move), QStringList({"First", "Next", "Last", "Privous"}));
    QCOMPARE(items(frm().recordMenu), QStringList({" Save", " RecordSet", " Clear All (hidden)", " Search (hidden)"}));
    QCOMPARE(items(frm().RecSet), QStringList({"1000", "5000", "10000 (checked)", "50000", "100000", "Limitless"}));
    QCOMPARE(items(frm().aboutMenu), QStringList({"  Help      F1", "-", "  About... (hidden)"}));
}

void TestFrmTest::hiddenAndOffscreenControls()
{
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    for (QWidget *w :
         std::initializer_list<QWidget *>{frm().USBCon, frm().ReadBtn, frm().DevListBox, frm().HistoryListBox,
                                          frm().Panel1, frm().Label5, frm().SpeedButton5})
        QVERIFY2(!w->isVisible(), qPrintable(w->metaObject()->className()));
    for (QWidget *w :
         std::initializer_list<QWidget *>{frm().Label6, frm().SpeedButton4, frm().SpeedButton6, frm().SpeedButton7,
                                          frm().SpeedButton8, frm().SpeedButton9, frm().DBGrid2})
        QVERIFY(w->y() >= TFrmTest::ClientHeight);
    QCOMPARE(frm().Panel1->caption(), QStringLiteral("USB"));
    QCOMPARE(frm().DBGrid2->model()->columnCount(), 6);
    QCOMPARE(frm().USBCon->text(), QStringLiteral("USB Connect"));
    QVERIFY(!frm().USBCon->isChecked());
    // SetFeature is shown but lies under the chart.
    QVERIFY(frm().SetFeature->isVisible());
    QVERIFY(frm().Chtshow->geometry().contains(frm().SetFeature->geometry()));
    QCOMPARE(frm().client->childAt(frm().SetFeature->geometry().center())->parentWidget(), frm().Chtshow);
}

void TestFrmTest::timers()
{
    QCOMPARE(frm().ConTimer->interval(), 1000);
    QVERIFY(frm().ConTimer->isActive());
    QCOMPARE(frm().SampInterTime->interval(), 1000);
    QVERIFY(frm().SampInterTime->isActive());
    QCOMPARE(frm().FlashTime->interval(), 300);
    QVERIFY(!frm().FlashTime->isActive());
}

void TestFrmTest::comItemsToggleAndSelect()
{
    QAction *com2 = frm().COMItems[1];
    com2->trigger();
    QVERIFY(com2->isChecked());
    QCOMPARE(frm().session.state.PortSelection, qint8(2));
    QCOMPARE(frm().Panel1->caption(), QStringLiteral("COM2"));

    com2->trigger(); // a second click removes the check mark but keeps the port
    QVERIFY(!com2->isChecked());
    QCOMPARE(frm().session.state.PortSelection, qint8(2));

    frm().COMItems[3]->trigger();
    com2->trigger();
    QVERIFY(!frm().COMItems[3]->isChecked());

    frm().USB->trigger();
    for (QAction *item : frm().COMItems)
        QVERIFY(!item->isChecked());
    QVERIFY(frm().USB->isChecked());
    QCOMPARE(frm().session.state.PortSelection, qint8(5));
    QCOMPARE(frm().Panel1->caption(), QStringLiteral("USB"));
}

void TestFrmTest::endingTheProgram_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("EXIT panel") << 0;
    QTest::newRow("File > Exit") << 1;
    QTest::newRow("close box") << 2;
}

void TestFrmTest::endingTheProgram()
{
    QFETCH(int, way);
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    bool asked = false;
    QTimer::singleShot(0, &frm(), [&] {
        switch (way) {
        case 0: QTest::mouseClick(frm().Panel3, Qt::LeftButton); break;
        case 1: frm().miExit->trigger(); break;
        default: frm().close(); break;
        }
    });
    // Anything modal would block here; a watchdog notes it and ends the loop.
    QTimer::singleShot(5000, [&] {
        asked = true;
        QApplication::exit(1);
    });
    frm().session.cds1.append({1, QStringLiteral("10:00:00"), QStringLiteral("1"), QStringLiteral("RPM")});
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!asked);
    QVERIFY(frm().session.cds1.isEmpty()); // discarded, nothing asked
}

void TestFrmTest::reportsReachTheWindow()
{
    using namespace InputReportStreams;
    frm().FlashTime->start();
    for (const QByteArray &report : reportsFor(image("12345", 2)))
        frm().Read618(nullptr, 0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
    QVERIFY(frm().session.indicator.CONokVisible());
    QVERIFY(!frm().FlashTime->isActive());

    for (const QByteArray &report : reportsFor(image("12345", 2)))
        frm().ReadProbe(nullptr, 0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
    QCOMPARE(frm().HistoryListBox->count(), 4);
    QCOMPARE(frm().HistoryListBox->currentRow(), 3);
    QVERIFY(frm().HistoryListBox->item(0)->text().startsWith(QStringLiteral("R 00  F7 ")));
}

QTEST_MAIN(TestFrmTest)
#include "tst_frmtest.moc"

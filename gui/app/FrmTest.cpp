#include "gui/app/FrmTest.h"

#include "core/app/StartUp.h"
#include "gui/chart/ChartPanel.h"
#include "gui/display/DisplayPanel.h"
#include "gui/link/LinkPanel.h"
#include "gui/recording/RecordingPanel.h"
#include "gui/recording/TableFilesPanel.h"
#include "gui/reports/ReportsPanel.h"
#include "gui/search/FrmSearch.h"
#include "gui/store/FrmStore.h"
#include "gui/widgets/Commands.h"
#include "gui/widgets/Panel.h"
#include "gui/widgets/ProgramBadge.h"
#include "platform/locale/SystemLocale.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <optional>

TFrmTest::TFrmTest(HidPlatform &hidPlatform, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmTest"));
    setWindowTitle(QStringLiteral("KX840 Interface Software Ver1.00"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ProgramIcon()); // the other windows, its children, show it too
    setupUi(this, session);

    // Loading the components: the controller scans, then its events are
    // wired, which fills the device list and picks the cable.
    HidCtl = std::make_unique<THidDeviceController>(hidPlatform);
    link = std::make_unique<LinkControl>(session.state, session.display, session.indicator, *HidCtl, linkBoxes,
                                         THidDataEvent(this, &TFrmTest::Read618),
                                         THidDataEvent(this, &TFrmTest::ReadProbe));
    link->wireEvents();

    // The display subscribes to the refresh first, then the grid, then the chart.
    displayPanel = std::make_unique<DisplayPanel>(*this, session, refresher);
    linkPanel = std::make_unique<LinkPanel>(*this, *link, [this] { displayPanel->scheduleRefresh(); });
    recordingPanel = std::make_unique<RecordingPanel>(*this, session, dialogs, *displayPanel, refresher);
    tableFilesPanel = std::make_unique<TableFilesPanel>(*this, session, dialogs, *recordingPanel, refresher);
    chartPanel = std::make_unique<ChartPanel>(*this, session, dialogs, *displayPanel, refresher);
    connectHandlers();

    // The client area is fixed; the window is exactly the menu bar plus it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    FormCreate();
    linkPanel->refresh();
    refreshNow();
    centreOnDesktop();
}

// The link goes first: checking its devices in stops their read threads while
// the handlers they call still exist.
TFrmTest::~TFrmTest()
{
    link.reset();
    HidCtl.reset();
}

void TFrmTest::FormCreate()
{
    StartUp::Configure(session, SystemDecimalSeparator(), SystemTimeSeparator());
    set10k->setChecked(true);
    chartPanel->BtNewClick();
    displayPanel->KDsetup();
    displayPanel->KDrun(0);
    RepeatSet->setChecked(session.recordPolicy.settings.RepeatSet);
    setWindowTitle(QStringLiteral("MX840 Interface Software V2.01"));
}

// What crosses features, and the program's end; each feature connects its own
// controls.
void TFrmTest::connectHandlers()
{
    connect(New, &QAction::triggered, this, &TFrmTest::NewClick);
    clickTriggers(SpeedButton3, Open);
    connect(Open, &QAction::triggered, this, &TFrmTest::OpenClick);
    connect(Panel3, &Panel::clicked, this, &TFrmTest::Panel3Click);
    connect(miExit, &QAction::triggered, this, &TFrmTest::miExitClick);
    // The store window (SpeedButton5) and the search window (Record > Search)
    // open once attached; the store window's buttons are wired where all five
    // windows are known.
    connect(SpeedButton5, &QToolButton::clicked, this, &TFrmTest::SpeedButton5Click);
    connect(SearchR, &QAction::triggered, this, &TFrmTest::SearchRClick);
    ConTimer->start();
    SampInterTime->start();
}

void TFrmTest::centreOnDesktop()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

// ---------------------------------------------------------------- the live path

void TFrmTest::Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
{
    displayPanel->Read618(ReportID, Data, Size);
}

void TFrmTest::ReadProbe(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
{
    if (const std::optional<QByteArray> line = session.reader.ReadProbe(ReportID, Data, Size))
        linkPanel->logProbe(QString::fromLatin1(*line));
}

void TFrmTest::refreshNow()
{
    refresher.refreshNow();
}

// ---------------------------------------------------------------- across features

void TFrmTest::NewClick()
{
    chartPanel->BtNewClick();
    recordingPanel->ClearRClick();
}

void TFrmTest::OpenClick()
{
    tableFilesPanel->SpeedButton4Click();
    update();
}

// ---------------------------------------------------------------- other windows

void TFrmTest::attachReports(TFrmprint &Frmprint)
{
    reportsPanel = std::make_unique<ReportsPanel>(*this, Frmprint, session, dialogs, [this] { update(); });
}

void TFrmTest::attachStoreAndSearch(TFrmstore &Frmstore, TFrmsearch &Frmsearch)
{
    storeWindow = &Frmstore;
    searchWindow = &Frmsearch;
    searchWindow->setDialogs(dialogs);
}

void TFrmTest::SpeedButton5Click()
{
    if (storeWindow)
        storeWindow->exec();
}

void TFrmTest::SearchRClick()
{
    if (searchWindow)
        searchWindow->exec();
}

// ---------------------------------------------------------------- the end

void TFrmTest::miExitClick()
{
    endProgram();
}

void TFrmTest::Panel3Click()
{
    endProgram();
}

void TFrmTest::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

// Ends the event loop. Recorded rows are discarded without asking.
void TFrmTest::endProgram()
{
    session.cds1.clear(); // closing the table discards its rows
    QCoreApplication::quit();
}

#include "gui/app/FrmTest.h"

#include "core/app/StartUp.h"
#include "gui/chart/ChartPanel.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DialPanel.h"
#include "gui/display/VirtualLcd.h"
#include "gui/link/LinkPanel.h"
#include "gui/recording/RecordingPanel.h"
#include "gui/recording/TableFilesPanel.h"
#include "gui/reports/ReportsPanel.h"
#include "gui/widgets/Panel.h"
#include "platform/locale/SystemLocale.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <memory>
#include <optional>
#include <utility>

TFrmTest::TFrmTest(HidPlatform &hidPlatform, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmTest"));
    setWindowTitle(QStringLiteral("KX840 Interface Software Ver1.00"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setupUi(this, session);

    // Loading the components: the controller scans, then its events are
    // wired, which fills the device list and picks the cable.
    HidCtl = std::make_unique<THidDeviceController>(hidPlatform);
    link = std::make_unique<LinkControl>(session.state, session.display, session.indicator, *HidCtl, linkBoxes,
                                         THidDataEvent(this, &TFrmTest::Read618),
                                         THidDataEvent(this, &TFrmTest::ReadProbe));
    link->wireEvents();

    const auto repaintSoon = [this] { scheduleRefresh(); };
    const auto repaintNow = [this] { refreshNow(); };
    linkPanel = std::make_unique<LinkPanel>(*this, *link, repaintSoon);
    recordingPanel = std::make_unique<RecordingPanel>(*this, session, dialogs, repaintNow);
    tableFilesPanel = std::make_unique<TableFilesPanel>(*this, session, dialogs, *recordingPanel, repaintNow);
    chartPanel = std::make_unique<ChartPanel>(*this, session, dialogs, repaintNow);
    refreshTimer = new QTimer(this);
    refreshTimer->setSingleShot(true);
    refreshTimer->setInterval(40);
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
    BtNewClick();
    KDsetup();
    KDrun(0);
    RepeatSet->setChecked(session.recordPolicy.settings.RepeatSet);
    setWindowTitle(QStringLiteral("MX840 Interface Software V2.01"));
}

// Every control's event to its handler.
void TFrmTest::connectHandlers()
{
    // The link and the ports
    connect(Panel2, &Panel::clicked, this, &TFrmTest::Panel2Click);
    connect(SetFeature, &QPushButton::clicked, this, &TFrmTest::SetFeatureClick);
    connect(Panel1, &Panel::clicked, this, &TFrmTest::Panel1Click);
    const std::array<void (TFrmTest::*)(), 4> comHandlers{&TFrmTest::COM1Click, &TFrmTest::COM2Click,
                                                          &TFrmTest::COM3Click, &TFrmTest::COM4Click};
    for (size_t i = 0; i < COMItems.size(); ++i)
        connect(COMItems[i], &QAction::triggered, this, comHandlers[i]);
    connect(USB, &QAction::triggered, this, &TFrmTest::USBClick);
    connect(ConTimer, &QTimer::timeout, this, &TFrmTest::ConTimerTimer);

    // Recording and the grid
    connect(RepeatSet, &QCheckBox::toggled, recordingPanel.get(), &RecordingPanel::RepeatSetClick);
    connect(RecordSI, &QCheckBox::toggled, recordingPanel.get(), &RecordingPanel::RecordSIClick);
    connect(RecordSITime, &QLineEdit::textChanged, this, &TFrmTest::RecordSITimeChange);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFrmTest::ClearRClick);
    connect(SpeedButton9, &QToolButton::clicked, this, &TFrmTest::SpeedButton9Click);
    connect(ClearR, &QAction::triggered, this, &TFrmTest::ClearRClick);
    connect(New, &QAction::triggered, this, &TFrmTest::NewClick);
    for (const auto &[item, limit] : std::array<std::pair<QAction *, qint32>, 6>{{{set1k, 1000},
                                                                                  {set5k, 5000},
                                                                                  {set10k, 10000},
                                                                                  {set50k, 50000},
                                                                                  {set100k, 100000},
                                                                                  {setlimit, RecordPolicy::Limitless}}})
        connect(item, &QAction::triggered, this, [this, item = item, limit = limit] { setLimitClick(item, limit); });
    connect(SampInterTime, &QTimer::timeout, this, &TFrmTest::SampInterTimeTimer);

    // Table files
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmTest::Save_asClick);
    connect(Save_as, &QAction::triggered, this, &TFrmTest::Save_asClick);
    connect(SaveR, &QAction::triggered, this, &TFrmTest::Save_asClick);
    connect(SpeedButton8, &QToolButton::clicked, this, &TFrmTest::SpeedButton8Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TFrmTest::OpenClick);
    connect(Open, &QAction::triggered, this, &TFrmTest::OpenClick);
    connect(SpeedButton4, &QToolButton::clicked, this, &TFrmTest::SpeedButton4Click);

    // The chart
    connect(Chtshow->BtFill, &QCheckBox::clicked, this, &TFrmTest::BtFillClick);
    connect(FillP, &QAction::triggered, this, &TFrmTest::FillPClick);
    connect(Chtshow->Maxrecord, &QLineEdit::textChanged, this, &TFrmTest::MaxrecordChange);
    connect(Chtshow->BtSave, &QToolButton::clicked, this, &TFrmTest::BtSaveClick);
    connect(Savepicture, &QAction::triggered, this, &TFrmTest::BtSaveClick);
    connect(Chtshow->BtNew, &QToolButton::clicked, this, &TFrmTest::BtNewClick);
    connect(ClearP, &QAction::triggered, this, &TFrmTest::BtNewClick);
    connect(Chtshow->BtFirst, &QToolButton::clicked, this, &TFrmTest::BtFirstClick);
    connect(FirstP, &QAction::triggered, this, &TFrmTest::BtFirstClick);
    connect(Chtshow->BTPrevious, &QToolButton::clicked, this, &TFrmTest::BTPreviousClick);
    connect(PrivousP, &QAction::triggered, this, &TFrmTest::BTPreviousClick);
    connect(Chtshow->BtNext, &QToolButton::clicked, this, &TFrmTest::BtNextClick);
    connect(NextP, &QAction::triggered, this, &TFrmTest::BtNextClick);
    connect(Chtshow->BTlast, &QToolButton::clicked, this, &TFrmTest::BTlastClick);
    connect(LastP, &QAction::triggered, this, &TFrmTest::BTlastClick);
    connect(Chtshow->TbFd, &QToolButton::clicked, this, &TFrmTest::TbSxClick);
    connect(Chtshow->TbSx, &QToolButton::clicked, this, &TFrmTest::TbSxClick);

    // The display and the program's end
    connect(FlashTime, &QTimer::timeout, this, &TFrmTest::FlashTimeTimer);
    connect(refreshTimer, &QTimer::timeout, this, &TFrmTest::refreshNow);
    connect(Panel3, &Panel::clicked, this, &TFrmTest::Panel3Click);
    connect(miExit, &QAction::triggered, this, &TFrmTest::miExitClick);

    // Reports (File > Print, MajPrint, SpeedButton7) once their dialog is
    // attached; the store window's buttons where all five windows are known.
    connect(print, &QAction::triggered, this, &TFrmTest::printClick);
    connect(MajPrint, &QToolButton::clicked, this, &TFrmTest::MajPrintClick);
    connect(SpeedButton7, &QToolButton::clicked, this, &TFrmTest::SpeedButton7Click);
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
    const MeterSession::InputReportOutcome outcome = session.Read618(ReportID, Data, Size);
    applyNeedle(outcome.needle);
    scheduleRefresh();
}

void TFrmTest::ReadProbe(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
{
    if (const std::optional<QByteArray> line = session.reader.ReadProbe(ReportID, Data, Size))
        linkPanel->logProbe(QString::fromLatin1(*line));
}

void TFrmTest::ShowData618(const QByteArray &displayText)
{
    applyNeedle(session.ShowData618(displayText));
    scheduleRefresh();
}

void TFrmTest::FlashTimeTimer()
{
    session.display.FlashTimeTimer();
    scheduleRefresh();
}

void TFrmTest::KDsetup()
{
    KD->KD1->drawScale(session.dial.geometry(), session.state.DialScale);
}

void TFrmTest::KDrun(int value)
{
    KD->KD1->applyStroke(session.dial.KDrun(value));
}

// The needle is drawn on the canvas at once, in order, so that each stroke
// erases exactly the needle before it.
void TFrmTest::applyNeedle(const std::optional<Dial::Stroke> &stroke)
{
    if (stroke)
        KD->KD1->applyStroke(*stroke);
}

void TFrmTest::scheduleRefresh()
{
    if (FlashTime->isActive() != session.display.FlashTimeEnabled) {
        if (session.display.FlashTimeEnabled)
            FlashTime->start();
        else
            FlashTime->stop();
    }
    if (!refreshTimer->isActive())
        refreshTimer->start();
}

void TFrmTest::refreshNow()
{
    refreshTimer->stop();
    const RangeIndicators &range = session.display.range;
    KD->Labrate->setText(range.Labrate);
    PBar2->setMaximum(range.PBar2Maximum);
    PBar2->setValue(range.PBar2Position);
    KD->CONok->setVisible(session.indicator.CONokVisible());
    KD->CONokN->setVisible(session.indicator.CONokNVisible());
    Panel9->update();
    recordingPanel->syncGrid();
    chartPanel->refresh();
}

// ---------------------------------------------------------------- forwards

void TFrmTest::Panel2Click()
{
    linkPanel->Panel2Click();
}

void TFrmTest::USBConClick()
{
    linkPanel->USBConClick();
}

void TFrmTest::ReadBtnClick()
{
    linkPanel->ReadBtnClick();
}

void TFrmTest::SetFeatureClick()
{
    linkPanel->SetFeatureClick();
}

void TFrmTest::ConTimerTimer()
{
    linkPanel->ConTimerTimer();
}

void TFrmTest::Panel1Click()
{
    linkPanel->Panel1Click();
}

void TFrmTest::COM1Click()
{
    linkPanel->selectComPort(1);
}

void TFrmTest::COM2Click()
{
    linkPanel->selectComPort(2);
}

void TFrmTest::COM3Click()
{
    linkPanel->selectComPort(3);
}

void TFrmTest::COM4Click()
{
    linkPanel->selectComPort(4);
}

void TFrmTest::USBClick()
{
    linkPanel->USBClick();
}

void TFrmTest::INDataToTable(int mode)
{
    session.recordPolicy.INDataToTable(mode);
    scheduleRefresh();
}

void TFrmTest::SampInterTimeTimer()
{
    session.recordPolicy.SampInterTimeTimer();
}

void TFrmTest::RecordSITimeChange()
{
    recordingPanel->RecordSITimeChange();
}

void TFrmTest::ClearRClick()
{
    recordingPanel->ClearRClick();
}

void TFrmTest::NewClick()
{
    BtNewClick();
    ClearRClick();
}

void TFrmTest::SpeedButton9Click()
{
    recordingPanel->SpeedButton9Click();
}

void TFrmTest::setLimitClick(QAction *item, qint32 limit)
{
    recordingPanel->setLimitClick(item, limit);
}

void TFrmTest::BtFillClick()
{
    chartPanel->BtFillClick();
}

void TFrmTest::FillPClick()
{
    chartPanel->FillPClick();
}

void TFrmTest::MaxrecordChange()
{
    chartPanel->MaxrecordChange();
}

void TFrmTest::BtFirstClick()
{
    chartPanel->BtFirstClick();
}

void TFrmTest::BTPreviousClick()
{
    chartPanel->BTPreviousClick();
}

void TFrmTest::BtNextClick()
{
    chartPanel->BtNextClick();
}

void TFrmTest::BTlastClick()
{
    chartPanel->BTlastClick();
}

void TFrmTest::BtNewClick()
{
    chartPanel->BtNewClick();
}

void TFrmTest::TbSxClick()
{
    chartPanel->TbSxClick();
}

void TFrmTest::BtSaveClick()
{
    chartPanel->BtSaveClick();
}

void TFrmTest::Save_asClick()
{
    tableFilesPanel->Save_asClick();
}

void TFrmTest::SpeedButton8Click()
{
    tableFilesPanel->SpeedButton8Click();
}

void TFrmTest::OpenClick()
{
    SpeedButton4Click();
    update();
}

void TFrmTest::SpeedButton4Click()
{
    tableFilesPanel->SpeedButton4Click();
}

void TFrmTest::ExportTable(const ReadingTable &Table, const QString &FileName)
{
    tableFilesPanel->ExportTable(Table, FileName);
}

void TFrmTest::ImportTable(const QString &FileName, ReadingTable &Table, bool EmptyFirst)
{
    tableFilesPanel->ImportTable(FileName, Table, EmptyFirst);
}

void TFrmTest::attachReports(TFrmprint &Frmprint)
{
    reportsPanel = std::make_unique<ReportsPanel>(Frmprint, session, dialogs, [this] { update(); });
}

void TFrmTest::printClick()
{
    if (reportsPanel)
        reportsPanel->printClick();
}

void TFrmTest::MajPrintClick()
{
    if (reportsPanel)
        reportsPanel->MajPrintClick();
}

void TFrmTest::SpeedButton7Click()
{
    if (reportsPanel)
        reportsPanel->SpeedButton7Click();
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

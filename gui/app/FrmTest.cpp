#include "gui/app/FrmTest.h"

#include "core/app/StartUp.h"
#include "core/common/Messages.h"

#include "gui/chart/TrendChartView.h"
#include "gui/display/DialPanel.h"
#include "gui/display/VirtualLcd.h"
#include "gui/recording/ReadingTableModel.h"
#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/CompactCheckBoxStyle.h"
#include "gui/widgets/Fonts.h"
#include "gui/widgets/Panel.h"
#include "platform/locale/SystemLocale.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <optional>

namespace {

Panel *buttonPanel(QWidget *parent, const QString &caption, const QFont &font, const QRect &geometry)
{
    auto *panel = new Panel(parent, Panel::Bevel::Raised);
    panel->setCaption(caption);
    panel->setFont(font);
    panel->setCaptionColor(Qt::black);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setGeometry(geometry);
    return panel;
}

QToolButton *pictureButton(QWidget *parent, const QIcon &glyph, const QString &hint, const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setIcon(glyph);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    return button;
}

QAction *menuItem(QMenu *menu, const QString &caption, const char *objectName)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(objectName));
    return action;
}

QAction *separator(QMenu *menu, const char *objectName)
{
    QAction *action = menu->addSeparator();
    action->setObjectName(QLatin1String(objectName));
    return action;
}

QAction *checkItem(QMenu *menu, const QString &caption, const char *objectName)
{
    QAction *action = menuItem(menu, caption, objectName);
    action->setCheckable(true);
    return action;
}

} // namespace

TFrmTest::TFrmTest(HidPlatform &hidPlatform, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmTest"));
    setWindowTitle(QStringLiteral("KX840 Interface Software Ver1.00"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    createClientArea();
    createHiddenControls();
    createMenus();
    createTimers();

    // Loading the components: the controller scans, then its events are
    // wired, which fills the device list and picks the cable.
    HidCtl = std::make_unique<THidDeviceController>(hidPlatform);
    link = std::make_unique<LinkControl>(session.state, session.display, session.indicator, *HidCtl, linkBoxes,
                                         THidDataEvent(this, &TFrmTest::Read618),
                                         THidDataEvent(this, &TFrmTest::ReadProbe));
    link->wireEvents();

    // The client area is fixed; the window is exactly the menu bar plus it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    FormCreate();
    refreshLinkControls();
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

void TFrmTest::createClientArea()
{
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    QFont baseFont(QStringLiteral("MS Sans Serif"));
    baseFont.setPixelSize(11); // 8 points
    baseFont.setUnderline(true);
    client->setFont(baseFont);
    setCentralWidget(client);

    Panel2 = buttonPanel(client, QStringLiteral("CONNECT"), arialPixels(16, true), {476, 4, 117, 29});
    connect(Panel2, &Panel::clicked, this, &TFrmTest::Panel2Click);
    Panel3 = buttonPanel(client, QStringLiteral("EXIT"), arialPixels(19, true), {596, 4, 87, 29});
    connect(Panel3, &Panel::clicked, this, &TFrmTest::Panel3Click);

    Panel9 = new VirtualLcd(session.display.lcd, client);
    Panel9->setGeometry(0, 34, 313, 205);

    PBar2 = new QProgressBar(client);
    PBar2->setObjectName(QStringLiteral("PBar2"));
    PBar2->setGeometry(2, 241, 311, 17);
    PBar2->setTextVisible(false);
    PBar2->setRange(0, session.display.range.PBar2Maximum);
    PBar2->setValue(session.display.range.PBar2Position);

    createRecordPanel();

    createGrid();

    KD = new DialPanel(client);
    KD->setGeometry(QRect(QPoint(312, 34), Dial::PanelSize));

    // SetFeature can take the keyboard focus, but the chart covers it.
    SetFeature = new QPushButton(QStringLiteral("SetFeature"), client);
    SetFeature->setGeometry(330, 400, 75, 25);
    connect(SetFeature, &QPushButton::clicked, this, &TFrmTest::SetFeatureClick);

    createChart();
}

// The reading grid: centred columns No, Time, Value, Unit that can be moved,
// whole-row selection, no editing, rows of one height so that a table of
// millions scrolls and jumps without measuring rows.
void TFrmTest::createGrid()
{
    DataSource1 = new ReadingTableModel(session.cds1, this);
    DBGrid1 = new QTableView(client);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(2, 288, 311, 201);
    DBGrid1->setFont(arialPixels(11, false));
    DBGrid1->setModel(DataSource1);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setTabKeyNavigation(true);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(17);
    QHeaderView *titles = DBGrid1->horizontalHeader();
    titles->setFont(arialPixels(13, false));
    titles->setSectionsMovable(true);
    titles->setHighlightSections(false);
    DBGrid1->setColumnWidth(0, 57);
    DBGrid1->setColumnWidth(1, 64); // the grid's default column width
    DBGrid1->setColumnWidth(2, 81);
    DBGrid1->setColumnWidth(3, 80);
    DBGrid1->installEventFilter(this);
}

void TFrmTest::createChart()
{
    Chtshow = new TrendChartView(client);
    Chtshow->setFont(arialPixels(11, false));
    Chtshow->setGeometry(314, 192, 371, 297);
    connect(Chtshow->BtFill, &QCheckBox::clicked, this, &TFrmTest::BtFillClick);
    connect(Chtshow->Maxrecord, &QLineEdit::textChanged, this, &TFrmTest::MaxrecordChange);
    connect(Chtshow->BtSave, &QToolButton::clicked, this, &TFrmTest::BtSaveClick);
    connect(Chtshow->BtNew, &QToolButton::clicked, this, &TFrmTest::BtNewClick);
    connect(Chtshow->BtFirst, &QToolButton::clicked, this, &TFrmTest::BtFirstClick);
    connect(Chtshow->BTPrevious, &QToolButton::clicked, this, &TFrmTest::BTPreviousClick);
    connect(Chtshow->BtNext, &QToolButton::clicked, this, &TFrmTest::BtNextClick);
    connect(Chtshow->BTlast, &QToolButton::clicked, this, &TFrmTest::BTlastClick);
    connect(Chtshow->TbFd, &QToolButton::clicked, this, &TFrmTest::TbSxClick);
    connect(Chtshow->TbSx, &QToolButton::clicked, this, &TFrmTest::TbSxClick);
}

void TFrmTest::createRecordPanel()
{
    Panel7 = new Panel(client, Panel::Bevel::Lowered);
    Panel7->setGeometry(2, 256, 311, 31);
    const QFont font = arialPoints(8);
    auto *checkBoxStyle = new CompactCheckBoxStyle;
    checkBoxStyle->setParent(Panel7);

    RepeatSet = new QCheckBox(QStringLiteral("Repeat"), Panel7);
    RepeatSet->setFont(font);
    RepeatSet->setStyle(checkBoxStyle);
    RepeatSet->setGeometry(3, 5, 54, 20);

    RecordSI = new QCheckBox(QStringLiteral("Sampling Interval          'S"), Panel7);
    RecordSI->setFont(font);
    RecordSI->setStyle(checkBoxStyle);
    RecordSI->setGeometry(56, 4, 141, 21);

    // The edit lies over the run of blanks in the check box's caption.
    RecordSITime = new QLineEdit(QStringLiteral("10"), Panel7);
    RecordSITime->setFont(font);
    RecordSITime->setGeometry(156, 4, 25, 22);
    RecordSITime->installEventFilter(this); // the key filter
    connect(RepeatSet, &QCheckBox::toggled, this, [this](bool on) { session.recordPolicy.settings.RepeatSet = on; });
    connect(RecordSI, &QCheckBox::toggled, this, [this](bool on) { session.recordPolicy.settings.RecordSI = on; });
    connect(RecordSITime, &QLineEdit::textChanged, this, &TFrmTest::RecordSITimeChange);

    SpeedButton1 = pictureButton(Panel7, ButtonGlyphs::save(), QStringLiteral("Save Data"), {198, 4, 25, 21});
    SpeedButton2 = pictureButton(Panel7, ButtonGlyphs::remove(), QStringLiteral("Delete Data"), {224, 4, 25, 21});
    SpeedButton3 = pictureButton(Panel7, ButtonGlyphs::open(), QStringLiteral("Open Data"), {250, 4, 25, 21});
    MajPrint = pictureButton(Panel7, ButtonGlyphs::print(), QStringLiteral("Print Data"), {276, 4, 27, 21});
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmTest::Save_asClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFrmTest::ClearRClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &TFrmTest::OpenClick);
    SpeedButton5 = pictureButton(Panel7, ButtonGlyphs::save(), QStringLiteral("Store Data"), {282, 4, 25, 21});
    SpeedButton5->hide();
}

void TFrmTest::createHiddenControls()
{
    USBCon = new QToolButton(client);
    USBCon->setText(QStringLiteral("USB Connect"));
    USBCon->setCheckable(true);
    USBCon->hide();

    ReadBtn = new QToolButton(client);
    ReadBtn->setText(QStringLiteral("Read"));
    ReadBtn->hide();

    DevListBox = new QListWidget(client);
    DevListBox->hide();
    HistoryListBox = new QListWidget(client);
    HistoryListBox->hide();

    Panel1 = new Panel(client, Panel::Bevel::Lowered);
    Panel1->setCaption(QStringLiteral("USB"));
    Panel1->setCursor(Qt::PointingHandCursor);
    Panel1->setGeometry(24, 0, 89, 29);
    Panel1->hide();
    connect(Panel1, &Panel::clicked, this, &TFrmTest::Panel1Click);

    Label5 = new QLabel(client);
    Label5->hide();

    // Leftovers of a store panel, placed below the client area: never on screen.
    Label6 = new QLabel(QStringLiteral(" STORE DATA :"), client);
    Label6->setGeometry(4, 500, 80, 16);
    SpeedButton4 = pictureButton(client, ButtonGlyphs::open(), QString(), {90, 496, 25, 21});
    SpeedButton6 = pictureButton(client, ButtonGlyphs::print(), QString(), {116, 496, 25, 21});
    SpeedButton7 = pictureButton(client, ButtonGlyphs::print(), QString(), {142, 496, 25, 21});
    SpeedButton8 = pictureButton(client, ButtonGlyphs::save(), QString(), {168, 496, 25, 21});
    SpeedButton9 = pictureButton(client, ButtonGlyphs::remove(), QString(), {194, 496, 25, 21});
    SpeedButton8->setToolTip(QStringLiteral("Save Data"));
    SpeedButton9->setToolTip(QStringLiteral("Delete Data"));
    connect(SpeedButton4, &QToolButton::clicked, this, &TFrmTest::SpeedButton4Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TFrmTest::SpeedButton8Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TFrmTest::SpeedButton9Click);

    auto *storeColumns = new QStandardItemModel(0, 6, this);
    storeColumns->setHorizontalHeaderLabels({QStringLiteral("SNo"), QStringLiteral("STime"), QStringLiteral("SValue"),
                                             QStringLiteral("SUnit"), QStringLiteral("SV_Range"),
                                             QStringLiteral("SI_Range")});
    DBGrid2 = new QTableView(client);
    DBGrid2->setModel(storeColumns);
    DBGrid2->setGeometry(2, 520, 441, 200);
}

void TFrmTest::createMenus()
{
    QMenuBar *MainMenu1 = menuBar();

    fileMenu = MainMenu1->addMenu(QStringLiteral("File"));
    New = menuItem(fileMenu, QStringLiteral("  New"), "New");
    connect(New, &QAction::triggered, this, &TFrmTest::NewClick);
    Open = menuItem(fileMenu, QStringLiteral("  Open"), "Open");
    connect(Open, &QAction::triggered, this, &TFrmTest::OpenClick);
    Save_as = menuItem(fileMenu, QStringLiteral("  Save As..."), "Save_as");
    connect(Save_as, &QAction::triggered, this, &TFrmTest::Save_asClick);
    N1 = separator(fileMenu, "N1");
    print = menuItem(fileMenu, QStringLiteral("  Print"), "print");
    N2 = separator(fileMenu, "N2");
    miExit = menuItem(fileMenu, QStringLiteral("   Exit"), "miExit");
    connect(miExit, &QAction::triggered, this, &TFrmTest::miExitClick);

    Comset = MainMenu1->addMenu(QStringLiteral("ComSet"));
    Comset->setObjectName(QStringLiteral("Comset"));
    Comset->menuAction()->setVisible(false);
    COM = Comset->addMenu(QStringLiteral(" COM"));
    COM->setObjectName(QStringLiteral("COM"));
    const std::array<void (TFrmTest::*)(), 4> comHandlers{&TFrmTest::COM1Click, &TFrmTest::COM2Click,
                                                          &TFrmTest::COM3Click, &TFrmTest::COM4Click};
    for (int n = 1; n <= 4; ++n) {
        const QString caption = QStringLiteral("COM%1").arg(n);
        QAction *item = checkItem(COM, caption, caption.toLatin1().constData());
        connect(item, &QAction::triggered, this, comHandlers[n - 1]);
        COMItems[n - 1] = item;
    }
    N4 = separator(Comset, "N4");
    USB = checkItem(Comset, QStringLiteral(" USB"), "USB");
    connect(USB, &QAction::triggered, this, &TFrmTest::USBClick);

    graphMenu = MainMenu1->addMenu(QStringLiteral("Graph"));
    Savepicture = menuItem(graphMenu, QStringLiteral(" Save Whole"), "Savepicture");
    connect(Savepicture, &QAction::triggered, this, &TFrmTest::BtSaveClick);
    Move = graphMenu->addMenu(QStringLiteral(" GoTo"));
    Move->setObjectName(QStringLiteral("Move"));
    FirstP = menuItem(Move, QStringLiteral("First"), "FirstP");
    NextP = menuItem(Move, QStringLiteral("Next"), "NextP");
    LastP = menuItem(Move, QStringLiteral("Last"), "LastP");
    PrivousP = menuItem(Move, QStringLiteral("Privous"), "PrivousP");
    connect(FirstP, &QAction::triggered, this, &TFrmTest::BtFirstClick);
    connect(NextP, &QAction::triggered, this, &TFrmTest::BtNextClick);
    connect(LastP, &QAction::triggered, this, &TFrmTest::BTlastClick);
    connect(PrivousP, &QAction::triggered, this, &TFrmTest::BTPreviousClick);
    FillP = checkItem(graphMenu, QStringLiteral(" Fill"), "FillP");
    FillP->setChecked(true);
    connect(FillP, &QAction::triggered, this, &TFrmTest::FillPClick);
    ClearP = menuItem(graphMenu, QStringLiteral(" Clear"), "ClearP");
    connect(ClearP, &QAction::triggered, this, &TFrmTest::BtNewClick);

    recordMenu = MainMenu1->addMenu(QStringLiteral("Record"));
    SaveR = menuItem(recordMenu, QStringLiteral(" Save"), "SaveR");
    connect(SaveR, &QAction::triggered, this, &TFrmTest::Save_asClick);
    RecSet = recordMenu->addMenu(QStringLiteral(" RecordSet"));
    RecSet->setObjectName(QStringLiteral("RecSet"));
    set1k = checkItem(RecSet, QStringLiteral("1000"), "set1k");
    set5k = checkItem(RecSet, QStringLiteral("5000"), "set5k");
    set10k = checkItem(RecSet, QStringLiteral("10000"), "set10k");
    set50k = checkItem(RecSet, QStringLiteral("50000"), "set50k");
    set100k = checkItem(RecSet, QStringLiteral("100000"), "set100k");
    setlimit = checkItem(RecSet, QStringLiteral("Limitless"), "setlimit");
    const std::array<std::pair<QAction *, qint32>, 6> limits{{{set1k, 1000},
                                                              {set5k, 5000},
                                                              {set10k, 10000},
                                                              {set50k, 50000},
                                                              {set100k, 100000},
                                                              {setlimit, RecordPolicy::Limitless}}};
    for (const auto &[item, limit] : limits)
        connect(item, &QAction::triggered, this, [this, item = item, limit = limit] { setLimitClick(item, limit); });
    ClearR = menuItem(recordMenu, QStringLiteral(" Clear All"), "ClearR");
    connect(ClearR, &QAction::triggered, this, &TFrmTest::ClearRClick);
    ClearR->setVisible(false);
    SearchR = menuItem(recordMenu, QStringLiteral(" Search"), "SearchR");
    SearchR->setVisible(false);

    aboutMenu = MainMenu1->addMenu(QStringLiteral("About"));
    aboutMenu->menuAction()->setVisible(false);
    HELP1 = menuItem(aboutMenu, QStringLiteral("  Help      F1"), "HELP1");
    N3 = separator(aboutMenu, "N3");
    About2 = menuItem(aboutMenu, QStringLiteral("  About..."), "About2");
    About2->setVisible(false);
}

void TFrmTest::createTimers()
{
    ConTimer = new QTimer(this);
    ConTimer->setInterval(StartUp::ConTimerMilliseconds);
    connect(ConTimer, &QTimer::timeout, this, &TFrmTest::ConTimerTimer);
    SampInterTime = new QTimer(this);
    SampInterTime->setInterval(StartUp::SampInterTimeMilliseconds);
    connect(SampInterTime, &QTimer::timeout, this, &TFrmTest::SampInterTimeTimer);
    FlashTime = new QTimer(this);
    FlashTime->setInterval(StartUp::FlashTimeMilliseconds);
    connect(FlashTime, &QTimer::timeout, this, &TFrmTest::FlashTimeTimer);
    ConTimer->start();
    SampInterTime->start();

    refreshTimer = new QTimer(this);
    refreshTimer->setSingleShot(true);
    refreshTimer->setInterval(40);
    connect(refreshTimer, &QTimer::timeout, this, &TFrmTest::refreshNow);
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

void TFrmTest::Read618(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
{
    const MeterSession::InputReportOutcome outcome = session.Read618(ReportID, Data, Size);
    applyNeedle(outcome.needle);
    scheduleRefresh();
}

void TFrmTest::ReadProbe(THidDevice *, quint8 ReportID, const quint8 *Data, quint16 Size)
{
    if (const std::optional<QByteArray> line = session.reader.ReadProbe(ReportID, Data, Size)) {
        link->HistoryListBox.append(QString::fromLatin1(*line));
        refreshLinkControls();
    }
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

void TFrmTest::Panel2Click()
{
    link->Panel2Click();
    refreshLinkControls();
}

void TFrmTest::USBConClick()
{
    link->USBConClick();
    refreshLinkControls();
}

void TFrmTest::ReadBtnClick()
{
    link->ReadBtnClick();
    refreshLinkControls();
}

void TFrmTest::SetFeatureClick()
{
    link->SetFeatureClick();
    refreshLinkControls();
}

void TFrmTest::ConTimerTimer()
{
    link->ConTimerTimer();
    refreshLinkControls();
}

// Puts the link's hidden controls on the screen (they are not seen, but the
// caption of Panel2, the ComSet menu and the LCD's state follow them).
void TFrmTest::refreshLinkControls()
{
    Panel2->setCaption(link->Panel2Caption());
    Panel2->setCaptionColor(Qt::black);
    Comset->setEnabled(link->ComsetEnabled);
    USBCon->setChecked(link->USBConDown);

    QStringList names;
    for (const DevListEntry &entry : link->DevListBox)
        names << entry.text;
    QStringList shown;
    for (int i = 0; i < DevListBox->count(); ++i)
        shown << DevListBox->item(i)->text();
    if (shown != names) {
        DevListBox->clear();
        DevListBox->addItems(names);
    }
    DevListBox->setCurrentRow(link->DevListSelected);
    for (qsizetype i = HistoryListBox->count(); i < link->HistoryListBox.size(); ++i)
        HistoryListBox->addItem(link->HistoryListBox[i]);
    HistoryListBox->setCurrentRow(HistoryListBox->count() - 1);
    scheduleRefresh();
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
    if (DataSource1->sync()) // each append moves to the newest row
        showNewestRow();
    if (session.chart.revision() != shownChartRevision) {
        shownChartRevision = session.chart.revision();
        Chtshow->refresh(session.chart);
    }
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
    session.recordPolicy.settings.RecordSITime = RecordSITime->text();
    const QString conversionError = session.recordPolicy.RecordSITimeChange();
    if (!conversionError.isEmpty())
        dialogs->error(conversionError);
}

// The key filter of RecordSITime: digits and backspace only.
bool TFrmTest::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == RecordSITime) {
        const QString text = key->text();
        const bool character = !text.isEmpty();
        const bool allowed = text.size() == 1 && (text[0].isDigit() || text[0] == QChar(8));
        return character && !allowed; // refused characters are swallowed
    }
    if (watched == DBGrid1 && key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
        deleteSelectedRecord();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmTest::deleteSelectedRecord()
{
    const int row = DBGrid1->currentIndex().row();
    if (row < 0 || !dialogs->confirm(QStringLiteral("Delete record?")))
        return;
    DataSource1->removeTableRow(row, [this](int r) { session.cds1.removeRow(r); });
}

void TFrmTest::ClearRClick()
{
    session.display.hideSmallPoints();
    Panel9->update();
    dialogs->information(QStringLiteral(" Warning:all Records will be deleted! "));
    session.recordPolicy.ClearAll();
    refreshNow();
}

void TFrmTest::NewClick()
{
    BtNewClick();
    ClearRClick();
}

void TFrmTest::SpeedButton9Click()
{
    dialogs->information(QStringLiteral(" Warning:all Store Records will be deleted! "));
    session.recordPolicy.clearTableOnly();
    refreshNow();
}

void TFrmTest::setLimitClick(QAction *item, qint32 limit)
{
    session.state.RecordLimit = limit;
    for (QAction *each : {set1k, set5k, set10k, set50k, set100k, setlimit})
        each->setChecked(each == item);
}

void TFrmTest::BtFillClick()
{
    FillP->setChecked(Chtshow->BtFill->isChecked());
    session.chart.setFill(Chtshow->BtFill->isChecked());
    refreshNow();
}

// The item's own toggle has already inverted the mark; the check box follows,
// and its click handler switches the series.
void TFrmTest::FillPClick()
{
    Chtshow->BtFill->setChecked(FillP->isChecked());
    BtFillClick();
}

void TFrmTest::MaxrecordChange()
{
    const QString refusal = session.chart.MaxrecordChange(Chtshow->Maxrecord->text());
    if (!refusal.isEmpty())
        dialogs->error(refusal);
    refreshNow();
}

void TFrmTest::BtFirstClick()
{
    session.chart.BtFirstClick();
    refreshNow();
}

void TFrmTest::BTPreviousClick()
{
    session.chart.BTPreviousClick();
    refreshNow();
}

void TFrmTest::BtNextClick()
{
    session.chart.BtNextClick();
    refreshNow();
}

void TFrmTest::BTlastClick()
{
    session.chart.BTlastClick();
    refreshNow();
}

void TFrmTest::BtNewClick()
{
    session.chart.BtNewClick();
    refreshNow();
}

// Enlarges the chart over most of the window, or puts it back.
void TFrmTest::TbSxClick()
{
    std::array<qint32, 4> &saved = session.state.SavedChartBounds; // left, top, width, height
    if (Chtshow->y() > 50) {
        Chtshow->TbFd->hide();
        Chtshow->TbSx->show();
        saved = {Chtshow->x(), Chtshow->y(), Chtshow->width(), Chtshow->height()};
        Chtshow->setGeometry(2, 25, client->width() - 10, client->height() - 80);
        Panel9->setAnnunciatorRowVisible(false);
    } else {
        Chtshow->TbSx->hide();
        Chtshow->TbFd->show();
        Chtshow->setGeometry(saved[0], saved[1], saved[2], saved[3]);
        Panel9->setAnnunciatorRowVisible(true);
    }
    shownChartRevision = 0;
    refreshNow();
}

void TFrmTest::BtSaveClick()
{
    const QString file = dialogs->savePictureFile();
    if (file.isEmpty())
        return;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || !Chtshow->picture().save(&out, "BMP")) {
        dialogs->error(Messages::CannotCreateFile(file, out.errorString()));
        return;
    }
    dialogs->information(QStringLiteral("Graphic has saved on %1").arg(file));
}

void TFrmTest::Save_asClick()
{
    saveTableAs(false);
}

void TFrmTest::SpeedButton8Click()
{
    saveTableAs(true);
}

void TFrmTest::saveTableAs(bool forgetLastName)
{
    const QString file = dialogs->saveTableFile(forgetLastName);
    if (!file.isEmpty())
        ExportTable(session.cds1, file);
}

void TFrmTest::OpenClick()
{
    SpeedButton4Click();
    update();
}

void TFrmTest::SpeedButton4Click()
{
    const QString file = dialogs->openTableFile();
    if (!file.isEmpty())
        ImportTable(file, session.cds1, false);
}

// The grid's column titles in the order the user sees them.
QStringList TFrmTest::gridTitles() const
{
    QStringList titles;
    const QHeaderView *header = DBGrid1->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        titles << DataSource1->headerData(header->logicalIndex(visual), Qt::Horizontal).toString();
    return titles;
}

void TFrmTest::ExportTable(const ReadingTable &Table, const QString &FileName)
{
    TableSave job(Table, gridTitles(), FileName);
    dialogs->runTableJob(QStringLiteral("Saving %1").arg(FileName), job);
    const TableSave::Box box = job.outcomeBox();
    switch (box.kind) {
    case TableSave::Box::Kind::Information: dialogs->information(box.text); break;
    case TableSave::Box::Kind::Plain: dialogs->message(box.text); break;
    case TableSave::Box::Kind::Error: dialogs->error(box.text); break;
    case TableSave::Box::Kind::None: break;
    }
    if (TableLayoutOf(FileName) == TableLayout::Text && Table.rowCount() > 0)
        DBGrid1->selectRow(int(Table.rowCount()) - 1); // the save leaves the cursor on the last row
}

void TFrmTest::ImportTable(const QString &FileName, ReadingTable &Table, bool EmptyFirst)
{
    TableLoad job(FileName, Table, EmptyFirst);
    if (dialogs->runTableJob(QStringLiteral("Opening %1").arg(FileName), job) == TableFileJob::Status::Failed)
        dialogs->error(TableLoad::failureMessage());
    refreshNow();
    if (TableLayoutOf(FileName) == TableLayout::Text)
        showNewestRow(); // rows were appended, also when readings were recorded meanwhile
}

void TFrmTest::showNewestRow()
{
    const int newest = DataSource1->rowCount() - 1;
    if (newest < 0)
        return;
    DBGrid1->selectRow(newest);
    DBGrid1->scrollTo(DataSource1->index(newest, 0));
}

void TFrmTest::miExitClick()
{
    endProgram();
}

void TFrmTest::Panel3Click()
{
    endProgram();
}

// Steps the port selection on by clicking the next port's item, while not connected.
void TFrmTest::Panel1Click()
{
    if (const std::optional<int> next = link->nextPortSelection())
        (*next == 5 ? USB : COMItems[size_t(*next - 1)])->trigger();
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

// The port handlers run when their item is triggered (clicked); by then the
// checkable item has already toggled its own check mark.
void TFrmTest::selectComPort(int n)
{
    for (int i = 1; i <= 4; ++i) {
        if (i != n)
            COMItems[i - 1]->setChecked(false);
    }
    session.state.PortSelection = qint8(n);
    Panel1->setCaption(QStringLiteral("COM%1").arg(n));
}

void TFrmTest::COM1Click()
{
    selectComPort(1);
}
void TFrmTest::COM2Click()
{
    selectComPort(2);
}
void TFrmTest::COM3Click()
{
    selectComPort(3);
}
void TFrmTest::COM4Click()
{
    selectComPort(4);
}

void TFrmTest::USBClick()
{
    for (QAction *item : COMItems)
        item->setChecked(false);
    session.state.PortSelection = 5;
    Panel1->setCaption(QStringLiteral("USB"));
}

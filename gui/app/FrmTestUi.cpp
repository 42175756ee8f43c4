#include "gui/app/FrmTestUi.h"

#include "core/app/MeterSession.h"
#include "core/app/StartUp.h"
#include "core/store/Store.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DialPanel.h"
#include "gui/display/VirtualLcd.h"
#include "gui/recording/ReadingTableModel.h"
#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/Commands.h"
#include "gui/widgets/CompactCheckBoxStyle.h"
#include "gui/widgets/Fonts.h"
#include "gui/widgets/Panel.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

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

void FrmTestUi::setupUi(QMainWindow *window, MeterSession &session)
{
    createClientArea(window, session);
    createHiddenControls(window);
    createMenus(window);
    createTimers(window);
}

void FrmTestUi::createClientArea(QMainWindow *window, MeterSession &session)
{
    client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    QFont baseFont(QStringLiteral("MS Sans Serif"));
    baseFont.setPixelSize(11); // 8 points
    baseFont.setUnderline(true);
    client->setFont(baseFont);
    window->setCentralWidget(client);

    Panel2 = buttonPanel(client, QStringLiteral("CONNECT"), arialPixels(16, true), {476, 4, 117, 29});
    Panel3 = buttonPanel(client, QStringLiteral("EXIT"), arialPixels(19, true), {596, 4, 87, 29});

    Panel9 = new VirtualLcd(session.display.lcd, client);
    Panel9->setGeometry(0, 34, 313, 205);

    PBar2 = new QProgressBar(client);
    PBar2->setObjectName(QStringLiteral("PBar2"));
    PBar2->setGeometry(2, 241, 311, 17);
    PBar2->setTextVisible(false);
    PBar2->setRange(0, session.display.range.PBar2Maximum);
    PBar2->setValue(session.display.range.PBar2Position);

    createRecordPanel();

    createGrid(window, session);

    KD = new DialPanel(client);
    KD->setGeometry(QRect(QPoint(312, 34), Dial::PanelSize));

    // SetFeature can take the keyboard focus, but the chart covers it.
    SetFeature = new QPushButton(QStringLiteral("SetFeature"), client);
    SetFeature->setGeometry(330, 400, 75, 25);

    createChart();
}

void FrmTestUi::createGrid(QMainWindow *window, MeterSession &session)
{
    DataSource1 = new ReadingTableModel(session.cds1, window);
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
}

void FrmTestUi::createChart()
{
    Chtshow = new TrendChartView(client);
    Chtshow->setFont(arialPixels(11, false));
    Chtshow->setGeometry(314, 192, 371, 297);
}

void FrmTestUi::createRecordPanel()
{
    Panel7 = new Panel(client, Panel::Bevel::Lowered);
    Panel7->setGeometry(2, 256, 311, 31);
    Panel7->setAutoFillBackground(true); // over the bar's last two rows, as declared after it
    const QFont font = arialPoints(8);
    auto *checkBoxStyle = new CompactCheckBoxStyle;
    checkBoxStyle->setParent(Panel7);

    RepeatSet = new QCheckBox(QStringLiteral("Repeat"), Panel7);
    RepeatSet->setFont(font);
    RepeatSet->setToolTip(QStringLiteral("Repeage Record"));
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

    SpeedButton1 = pictureButton(Panel7, ButtonGlyphs::save(), QStringLiteral("Save Data"), {198, 4, 25, 21});
    SpeedButton2 = pictureButton(Panel7, ButtonGlyphs::remove(), QStringLiteral("Delete Data"), {224, 4, 25, 21});
    SpeedButton3 = pictureButton(Panel7, ButtonGlyphs::open(), QStringLiteral("Open Data"), {250, 4, 25, 21});
    MajPrint = pictureButton(Panel7, ButtonGlyphs::print(), QStringLiteral("Print Data"), {276, 4, 27, 21});
    SpeedButton5 = pictureButton(Panel7, ButtonGlyphs::save(), QStringLiteral("Store Data"), {282, 4, 25, 21});
    SpeedButton5->hide();
}

void FrmTestUi::createHiddenControls(QMainWindow *window)
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
    // Their commands, which the store window's buttons carry out too.
    storeOpen = new QAction(window);
    storeReport = new QAction(window);
    storeSave = new QAction(window);
    storeDelete = new QAction(window);
    clickTriggers(SpeedButton4, storeOpen);
    clickTriggers(SpeedButton7, storeReport);
    clickTriggers(SpeedButton8, storeSave);
    clickTriggers(SpeedButton9, storeDelete);

    auto *storeColumns = new QStandardItemModel(0, 6, window);
    storeColumns->setHorizontalHeaderLabels(Store::FieldNames());
    DBGrid2 = new QTableView(client);
    DBGrid2->setModel(storeColumns);
    DBGrid2->setGeometry(2, 520, 441, 200);
}

void FrmTestUi::createMenus(QMainWindow *window)
{
    QMenuBar *MainMenu1 = window->menuBar();

    fileMenu = MainMenu1->addMenu(QStringLiteral("File"));
    New = menuItem(fileMenu, QStringLiteral("  New"), "New");
    Open = menuItem(fileMenu, QStringLiteral("  Open"), "Open");
    Save_as = menuItem(fileMenu, QStringLiteral("  Save As..."), "Save_as");
    N1 = separator(fileMenu, "N1");
    print = menuItem(fileMenu, QStringLiteral("  Print"), "print");
    N2 = separator(fileMenu, "N2");
    miExit = menuItem(fileMenu, QStringLiteral("   Exit"), "miExit");

    Comset = MainMenu1->addMenu(QStringLiteral("ComSet"));
    Comset->setObjectName(QStringLiteral("Comset"));
    Comset->menuAction()->setVisible(false);
    COM = Comset->addMenu(QStringLiteral(" COM"));
    COM->setObjectName(QStringLiteral("COM"));
    for (int n = 1; n <= 4; ++n) {
        const QString caption = QStringLiteral("COM%1").arg(n);
        QAction *item = checkItem(COM, caption, caption.toLatin1().constData());
        COMItems[n - 1] = item;
    }
    N4 = separator(Comset, "N4");
    USB = checkItem(Comset, QStringLiteral(" USB"), "USB");

    graphMenu = MainMenu1->addMenu(QStringLiteral("Graph"));
    Savepicture = menuItem(graphMenu, QStringLiteral(" Save Whole"), "Savepicture");
    Move = graphMenu->addMenu(QStringLiteral(" GoTo"));
    Move->setObjectName(QStringLiteral("Move"));
    FirstP = menuItem(Move, QStringLiteral("First"), "FirstP");
    NextP = menuItem(Move, QStringLiteral("Next"), "NextP");
    LastP = menuItem(Move, QStringLiteral("Last"), "LastP");
    PrivousP = menuItem(Move, QStringLiteral("Privous"), "PrivousP");
    FillP = checkItem(graphMenu, QStringLiteral(" Fill"), "FillP");
    FillP->setChecked(true);
    ClearP = menuItem(graphMenu, QStringLiteral(" Clear"), "ClearP");

    recordMenu = MainMenu1->addMenu(QStringLiteral("Record"));
    SaveR = menuItem(recordMenu, QStringLiteral(" Save"), "SaveR");
    RecSet = recordMenu->addMenu(QStringLiteral(" RecordSet"));
    RecSet->setObjectName(QStringLiteral("RecSet"));
    set1k = checkItem(RecSet, QStringLiteral("1000"), "set1k");
    set5k = checkItem(RecSet, QStringLiteral("5000"), "set5k");
    set10k = checkItem(RecSet, QStringLiteral("10000"), "set10k");
    set50k = checkItem(RecSet, QStringLiteral("50000"), "set50k");
    set100k = checkItem(RecSet, QStringLiteral("100000"), "set100k");
    setlimit = checkItem(RecSet, QStringLiteral("Limitless"), "setlimit");
    ClearR = menuItem(recordMenu, QStringLiteral(" Clear All"), "ClearR");
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

void FrmTestUi::createTimers(QMainWindow *window)
{
    ConTimer = new QTimer(window);
    ConTimer->setInterval(StartUp::ConTimerMilliseconds);
    SampInterTime = new QTimer(window);
    SampInterTime->setInterval(StartUp::SampInterTimeMilliseconds);
    FlashTime = new QTimer(window);
    FlashTime->setInterval(StartUp::FlashTimeMilliseconds);
}

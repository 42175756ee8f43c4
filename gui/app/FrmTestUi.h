#pragma once

#include <QtGlobal>

#include <array>

class DialPanel;
class MeterSession;
class Panel;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class QWidget;
class ReadingTableModel;
class TrendChartView;
class VirtualLcd;

// The main window's controls under the names the program uses for them, built
// at their places with their captions, fonts and glyphs, as a generated form
// does. Nothing here reacts to anything: the features' panels and the window
// connect the handlers.
struct FrmTestUi
{
    static constexpr int ClientWidth = 687;
    static constexpr int ClientHeight = 492;

    void setupUi(QMainWindow *window, MeterSession &session);

    // Controls of the client area
    QWidget *client = nullptr;
    Panel *Panel2 = nullptr; // "CONNECT"
    Panel *Panel3 = nullptr; // "EXIT"
    VirtualLcd *Panel9 = nullptr;
    QProgressBar *PBar2 = nullptr;
    Panel *Panel7 = nullptr; // record panel
    QCheckBox *RepeatSet = nullptr;
    QCheckBox *RecordSI = nullptr;
    QLineEdit *RecordSITime = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *MajPrint = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    QTableView *DBGrid1 = nullptr;
    DialPanel *KD = nullptr;
    TrendChartView *Chtshow = nullptr;
    ReadingTableModel *DataSource1 = nullptr;

    // Controls that are never seen: state holders of the link, and leftovers
    // placed below the client area.
    QToolButton *USBCon = nullptr;
    QToolButton *ReadBtn = nullptr;
    QPushButton *SetFeature = nullptr;
    QListWidget *DevListBox = nullptr;
    QListWidget *HistoryListBox = nullptr;
    Panel *Panel1 = nullptr; // port selection
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QToolButton *SpeedButton6 = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QToolButton *SpeedButton8 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QTableView *DBGrid2 = nullptr;

    // Menu bar MainMenu1
    QMenu *fileMenu = nullptr;
    QAction *New = nullptr;
    QAction *Open = nullptr;
    QAction *Save_as = nullptr;
    QAction *N1 = nullptr;
    QAction *print = nullptr;
    QAction *N2 = nullptr;
    QAction *miExit = nullptr;
    QMenu *Comset = nullptr;
    QMenu *COM = nullptr;
    std::array<QAction *, 4> COMItems{}; // COM1..COM4
    QAction *N4 = nullptr;
    QAction *USB = nullptr;
    QMenu *graphMenu = nullptr;
    QAction *Savepicture = nullptr;
    QMenu *Move = nullptr;
    QAction *FirstP = nullptr;
    QAction *NextP = nullptr;
    QAction *LastP = nullptr;
    QAction *PrivousP = nullptr;
    QAction *FillP = nullptr;
    QAction *ClearP = nullptr;
    QMenu *recordMenu = nullptr;
    QAction *SaveR = nullptr;
    QMenu *RecSet = nullptr;
    QAction *set1k = nullptr;
    QAction *set5k = nullptr;
    QAction *set10k = nullptr;
    QAction *set50k = nullptr;
    QAction *set100k = nullptr;
    QAction *setlimit = nullptr;
    QAction *ClearR = nullptr;
    QAction *SearchR = nullptr;
    QMenu *aboutMenu = nullptr;
    QAction *HELP1 = nullptr;
    QAction *N3 = nullptr;
    QAction *About2 = nullptr;

    // Timers
    QTimer *ConTimer = nullptr;
    QTimer *SampInterTime = nullptr;
    QTimer *FlashTime = nullptr;

private:
    void createClientArea(QMainWindow *window, MeterSession &session);
    void createRecordPanel();
    void createGrid(QMainWindow *window, MeterSession &session);
    void createChart();
    void createHiddenControls(QMainWindow *window);
    void createMenus(QMainWindow *window);
    void createTimers(QMainWindow *window);
};

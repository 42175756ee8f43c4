#pragma once

#include "gui/chart/ChartControls.h"
#include "gui/display/DisplayControls.h"
#include "gui/link/LinkControls.h"
#include "gui/recording/RecordingControls.h"
#include "gui/recording/TableFilesControls.h"
#include "gui/reports/ReportsControls.h"

#include <QtGlobal>

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
// connect the handlers. Each feature's controls are its own struct, which its
// panel takes; what is left here belongs to the window itself.
struct FrmTestUi : DisplayControls, LinkControls, RecordingControls, TableFilesControls, ChartControls, ReportsControls
{
    static constexpr int ClientWidth = 687;
    static constexpr int ClientHeight = 492;

    void setupUi(QMainWindow *window, MeterSession &session);

    // Controls of the client area
    QWidget *client = nullptr;
    Panel *Panel3 = nullptr; // "EXIT"
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *SpeedButton5 = nullptr;

    // Controls that are never seen: leftovers placed below the client area.
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QToolButton *SpeedButton6 = nullptr;
    QTableView *DBGrid2 = nullptr;

    // Menu bar MainMenu1
    QMenu *fileMenu = nullptr;
    QAction *New = nullptr;
    QAction *Open = nullptr;
    QAction *N1 = nullptr;
    QAction *N2 = nullptr;
    QAction *miExit = nullptr;
    QMenu *recordMenu = nullptr;
    QAction *SearchR = nullptr;
    QMenu *aboutMenu = nullptr;
    QAction *HELP1 = nullptr;
    QAction *N3 = nullptr;
    QAction *About2 = nullptr;

private:
    void createClientArea(QMainWindow *window, MeterSession &session);
    void createRecordPanel();
    void createGrid(QMainWindow *window, MeterSession &session);
    void createChart();
    void createHiddenControls(QMainWindow *window);
    void createMenus(QMainWindow *window);
    void createTimers(QMainWindow *window);
};

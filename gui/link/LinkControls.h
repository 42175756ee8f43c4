#pragma once

#include <array>

class Panel;
class QAction;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

// The link's controls: CONNECT, the port selection and its menu, the hidden
// state holders of the cable and the watchdog's timer.
struct LinkControls
{
    Panel *Panel2 = nullptr; // "CONNECT"
    Panel *Panel1 = nullptr; // port selection
    QToolButton *USBCon = nullptr;
    QToolButton *ReadBtn = nullptr;
    QPushButton *SetFeature = nullptr;
    QListWidget *DevListBox = nullptr;
    QListWidget *HistoryListBox = nullptr;
    QMenu *Comset = nullptr;
    QMenu *COM = nullptr;
    std::array<QAction *, 4> COMItems{}; // COM1..COM4
    QAction *N4 = nullptr;
    QAction *USB = nullptr;
    QTimer *ConTimer = nullptr;
};

#pragma once

class QAction;
class QToolButton;

// The table files' controls: the save buttons and menu items, and the hidden
// open button.
struct TableFilesControls
{
    QToolButton *SpeedButton1 = nullptr; // save
    QToolButton *SpeedButton4 = nullptr; // open, hidden
    QToolButton *SpeedButton8 = nullptr; // save under a new name, hidden
    QAction *Save_as = nullptr;
    QAction *SaveR = nullptr;
    // The store panel's save (SpeedButton8) and open (SpeedButton4).
    QAction *storeSave = nullptr;
    QAction *storeOpen = nullptr;
};

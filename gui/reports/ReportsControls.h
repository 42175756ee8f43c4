#pragma once

class QAction;
class QToolButton;

// The reports' controls in the main window: File > Print, the record panel's
// Print Data and the off-screen store report button.
struct ReportsControls
{
    QAction *print = nullptr;
    QToolButton *MajPrint = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QAction *storeReport = nullptr; // the store panel's report (SpeedButton7)
};

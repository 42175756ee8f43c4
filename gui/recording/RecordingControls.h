#pragma once

class Panel;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QTableView;
class QTimer;
class QToolButton;
class ReadingTableModel;

// Recording's controls: the record panel, the grid and its model, the record
// limit menu, Clear All and the sampling interval's timer.
struct RecordingControls
{
    Panel *Panel7 = nullptr; // record panel
    QCheckBox *RepeatSet = nullptr;
    QCheckBox *RecordSI = nullptr;
    QLineEdit *RecordSITime = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QTableView *DBGrid1 = nullptr;
    ReadingTableModel *DataSource1 = nullptr;
    QMenu *RecSet = nullptr;
    QAction *set1k = nullptr;
    QAction *set5k = nullptr;
    QAction *set10k = nullptr;
    QAction *set50k = nullptr;
    QAction *set100k = nullptr;
    QAction *setlimit = nullptr;
    QAction *ClearR = nullptr;
    QAction *storeDelete = nullptr; // the store panel's delete (SpeedButton9)
    QTimer *SampInterTime = nullptr;
};

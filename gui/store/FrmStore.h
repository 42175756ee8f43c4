#pragma once

#include <QDialog>

class QStandardItemModel;
class QTableView;
class QToolButton;

// The store window: five buttons that act through the main window's own
// off-screen buttons (save, delete, open, the store report) and one that
// closes, over a grid of the store's columns. The store has no data source,
// so the grid stays empty; it is refreshed each time the window becomes active.
class TFrmstore : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmstore(QWidget *parent = nullptr);

    QToolButton *SpeedButton8 = nullptr; // "Save Data"
    QToolButton *SpeedButton9 = nullptr; // "Delete Data"
    QToolButton *SpeedButton1 = nullptr; // open
    QToolButton *SpeedButton7 = nullptr; // the store report
    QToolButton *SpeedButton2 = nullptr; // close
    QTableView *DBGrid1 = nullptr;

    // Re-reads the grid's rows from its source.
    void FormActivate();

protected:
    bool event(QEvent *event) override;

private:
    QStandardItemModel *storeRows = nullptr;
};

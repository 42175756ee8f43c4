#pragma once

#include <QObject>
#include <QStringList>

class Dialogs;
class DisplayPanel;
class MeterSession;
class QAction;
struct RecordingControls;
class RefreshScheduler;

// Recording on the screen: the record panel (Repeat, the sampling interval and
// its edit with its key filter, the strip's Delete Data), the RecordSet and
// Clear All items, the store window's delete button, and the reading grid with
// Ctrl+Delete and its newest row in view.
class RecordingPanel : public QObject
{
public:
    // `refresher` repaints the window; a command repaints it at once.
    RecordingPanel(RecordingControls &ui, MeterSession &session, Dialogs *const &dialogs, DisplayPanel &display,
                   RefreshScheduler &refresher);

    void RepeatSetClick(bool on);
    void RecordSIClick(bool on);
    void RecordSITimeChange();
    void SampInterTimeTimer();
    void ClearRClick();
    void SpeedButton9Click();
    void setLimitClick(QAction *item, qint32 limit);
    void deleteSelectedRecord(); // Ctrl+Delete in the grid

    // The grid follows the table; each append moves to the newest row.
    void syncGrid();
    void showNewestRow();
    // Puts the grid's cursor on `row`.
    void selectRow(int row);
    // The grid's column titles in the order the user sees them.
    QStringList gridTitles() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RecordingControls &ui;
    MeterSession &session;
    Dialogs *const &dialogs;
    DisplayPanel &display;
    RefreshScheduler &refresher;
};

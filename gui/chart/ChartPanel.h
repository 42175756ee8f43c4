#pragma once

#include <QObject>

#include <functional>

class Dialogs;
class DisplayPanel;
class MeterSession;
struct ChartControls;

// The trend chart on the screen: its fill box and the Graph menu's Fill item,
// the points-per-page edit, the page buttons and GoTo items, Clear, enlarging
// and restoring, and Save Whole as a bitmap. The chart's data and paging are
// core's; this puts them on the view.
class ChartPanel : public QObject
{
public:
    // `refreshNow` repaints the window at once.
    ChartPanel(ChartControls &ui, MeterSession &session, Dialogs *const &dialogs, DisplayPanel &display,
               std::function<void()> refreshNow);

    void BtFillClick();
    void FillPClick();
    void MaxrecordChange();
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void BtNewClick();
    void TbSxClick();
    void BtSaveClick();

    // Redraws the view when the chart changed since it was last drawn.
    void refresh();

private:
    ChartControls &ui;
    MeterSession &session;
    Dialogs *const &dialogs;
    DisplayPanel &display;
    std::function<void()> refreshNow;
    quint64 shownRevision = 0;
};

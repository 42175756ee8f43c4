#pragma once

#include <QObject>
#include <QtGlobal>

#include <array>

struct ChartControls;
class Dialogs;
class DisplayPanel;
class MeterSession;
class RefreshScheduler;

// The trend chart on the screen: its fill box and the Graph menu's Fill item,
// the points-per-page edit, the page buttons and GoTo items, Clear, enlarging
// and restoring, and Save Whole as a bitmap. The chart's data and paging are
// core's; this puts them on the view.
class ChartPanel : public QObject
{
public:
    // `refresher` repaints the window; a command repaints it at once.
    ChartPanel(ChartControls &ui, MeterSession &session, Dialogs *const &dialogs, DisplayPanel &display,
               RefreshScheduler &refresher);

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
    // Whether the chart has points, or a page, that the view does not show yet.
    bool behind() const;
    // Where the chart was before it was enlarged: left, top, width, height.
    const std::array<qint32, 4> &savedBounds() const { return SavedChartBounds; }

private:
    ChartControls &ui;
    MeterSession &session;
    Dialogs *const &dialogs;
    DisplayPanel &display;
    RefreshScheduler &refresher;
    quint64 shownRevision = 0;
    std::array<qint32, 4> SavedChartBounds{};
};

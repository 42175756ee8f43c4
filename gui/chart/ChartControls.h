#pragma once

class QAction;
class QMenu;
class TrendChartView;

// The trend chart and its Graph menu.
struct ChartControls
{
    TrendChartView *Chtshow = nullptr;
    QMenu *graphMenu = nullptr;
    QAction *Savepicture = nullptr;
    QMenu *Move = nullptr;
    QAction *FirstP = nullptr;
    QAction *NextP = nullptr;
    QAction *LastP = nullptr;
    QAction *PrivousP = nullptr;
    QAction *FillP = nullptr;
    QAction *ClearP = nullptr;
};

#pragma once

#include <QChartView>

class QAreaSeries;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QToolButton;
class QValueAxis;
class TrendChart;

// The trend chart Chtshow: draws the current page of the visible series of the
// core chart, and holds the chart's own buttons.
class TrendChartView : public QChartView
{
    Q_OBJECT

public:
    explicit TrendChartView(QWidget *parent = nullptr);

    // Puts the chart's state on the screen: the visible series' current page
    // (at most two points per pixel column), the axes, the page buttons.
    void refresh(const TrendChart &chart);
    // The chart as a picture: background, axes and series, not the buttons.
    QImage picture() const;

    QAreaSeries *Series2 = nullptr; // area
    QLineSeries *Series1 = nullptr; // line
    QCheckBox *BtFill = nullptr;
    QFrame *Bevel1 = nullptr;
    QLineEdit *Maxrecord = nullptr;
    QToolButton *BtSave = nullptr;
    QToolButton *BtNew = nullptr;
    QToolButton *BtFirst = nullptr;
    QToolButton *BTPrevious = nullptr;
    QPushButton *Bt10 = nullptr;
    QToolButton *BtNext = nullptr;
    QToolButton *BTlast = nullptr;
    QToolButton *TbFd = nullptr;
    QToolButton *TbSx = nullptr;

private:
    QLineSeries *areaUpper = nullptr;
    QValueAxis *axisX = nullptr;
    QValueAxis *axisY = nullptr;
};

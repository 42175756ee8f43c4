#include "gui/chart/TrendChartView.h"

#include "core/chart/AxisTicks.h"
#include "core/chart/TrendChart.h"
#include "gui/widgets/ButtonGlyphs.h"
#include "gui/widgets/Fonts.h"

#include <QAreaSeries>
#include <QCheckBox>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>

#include <algorithm>
#include <vector>

namespace {

// The room a bottom axis label takes with the gap to the next.
constexpr int PixelsPerLabel = 55;

// The left axis's line and its ticks, major and minor, each TickLength pixels
// long. Qt Charts draws ticks 4 and 2 pixels long and has no setting for
// their length, so its own are hidden (with the axis line) and these drawn
// instead, in the scene, where a saved picture of the chart has them too.
class LeftAxisTicks : public QGraphicsItem
{
public:
    static constexpr int TickLength = 3;

    LeftAxisTicks(QChart *owner, QValueAxis *leftAxis) : chart(owner), axis(leftAxis)
    {
        setZValue(100); // over the plot area's edge
    }
    QRectF boundingRect() const override
    {
        const QRectF plot = chart->plotArea();
        return {plot.left() - TickLength - 2, plot.top() - 1, TickLength + 3, plot.height() + 2};
    }
    void follow()
    {
        prepareGeometryChange();
        update();
    }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        const QRectF plot = chart->plotArea();
        if (plot.isEmpty())
            return;
        painter->setPen(axis->linePen());
        painter->setRenderHint(QPainter::Antialiasing, false);
        const qreal line = plot.left(); // over the plot area's edge, as the axis line was
        painter->drawLine(QPointF(line, plot.top()), QPointF(line, plot.bottom()));
        // A tick where each horizontal grid line, major or minor, meets the
        // axis: taken from the grid lines themselves, so that the two agree
        // to the pixel whatever rounding the chart applied to place them.
        for (QGraphicsItem *item : chart->scene()->items(plot.adjusted(0, -1, 0, 1))) {
            const auto *grid = qgraphicsitem_cast<QGraphicsLineItem *>(item);
            if (!grid || !grid->isVisible())
                continue;
            const QLineF across(grid->mapToScene(grid->line().p1()), grid->mapToScene(grid->line().p2()));
            if (across.dy() != 0 || qAbs(across.x1() - plot.left()) > 0.5 || qAbs(across.x2() - plot.right()) > 0.5)
                continue;
            const QPointF at = mapFromScene(QPointF(line, across.y1()));
            painter->drawLine(QPointF(at.x() - TickLength, at.y()), QPointF(at.x() - 1, at.y()));
        }
    }

private:
    QChart *chart;
    QValueAxis *axis;
};

} // namespace

TrendChartView::TrendChartView(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("Chtshow"));
    setRubberBand(QChartView::NoRubberBand);
    setInteractive(false);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);

    QChart *chart = this->chart(); // the view's own chart (one given by setChart would leak it)
    chart->legend()->hide();
    chart->setTitle(QStringLiteral("  "));
    chart->setTitleFont(arialPixels(13));
    chart->setTitleBrush(Qt::black);
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, QColor(192, 192, 192)); // silver
    background.setColorAt(1, Qt::white);
    chart->setBackgroundBrush(background);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(Qt::white); // the back wall
    chart->setPlotAreaBackgroundVisible(true);
    chart->setMargins(QMargins(4, 28, 4, 2)); // room for the buttons on top
    chart->layout()->setContentsMargins(0, 0, 0, 0);

    areaUpper = new QLineSeries(chart);
    Series2 = new QAreaSeries(areaUpper);
    Series2->setName(QStringLiteral("Series2"));
    Series2->setBrush(QColor(255, 255, 128));
    Series2->setPen(QPen(QColor(0, 128, 255), 1));
    Series1 = new QLineSeries;
    Series1->setName(QStringLiteral("Series1"));
    Series1->setPen(QPen(QColor(128, 255, 0), 1));
    chart->addSeries(Series2);
    chart->addSeries(Series1);

    axisY = new QValueAxis;
    axisY->setRange(0, 10000);
    axisY->setMinorTickCount(4);
    axisY->setLabelFormat(QStringLiteral("%d"));
    axisY->setLabelsFont(arialPixels(10));
    axisX = new QValueAxis;
    axisX->setTickType(QValueAxis::TicksDynamic); // placed by WholeNumberTicks on every refresh
    axisX->setLabelFormat(QStringLiteral("%d"));
    axisX->setLabelsFont(arialPixels(10));
    axisY->setLineVisible(false); // drawn by LeftAxisTicks, with its ticks
    chart->addAxis(axisY, Qt::AlignLeft);
    chart->addAxis(axisX, Qt::AlignBottom);
    for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(Series2), static_cast<QAbstractSeries *>(Series1)}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }

    auto *leftTicks = new LeftAxisTicks(chart, axisY);
    scene()->addItem(leftTicks);
    connect(chart, &QChart::plotAreaChanged, this, [leftTicks] { leftTicks->follow(); });

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(2, 2, 40, 20);
    BtFill = new QCheckBox(QStringLiteral("Fill"), this);
    BtFill->setToolTip(QStringLiteral("Graphic Fill"));
    BtFill->setChecked(true);
    BtFill->setGeometry(5, 4, 40, 18);
    Maxrecord = new QLineEdit(QStringLiteral("100"), this);
    Maxrecord->setGeometry(48, 3, 41, 21);
    BtSave = pictureButton(this, ButtonGlyphs::save(), QStringLiteral("Save  Active Graphic"), {141, 3, 35, 21});
    BtNew = pictureButton(this, ButtonGlyphs::remove(), QStringLiteral("Delete Graphic"), {175, 3, 35, 21});
    BtFirst = pictureButton(this, ButtonGlyphs::first(), QStringLiteral("First"), {211, 3, 25, 21});
    BTPrevious = pictureButton(this, ButtonGlyphs::previous(), QStringLiteral("Previous"), {235, 3, 25, 21});
    Bt10 = new QPushButton(QStringLiteral("1"), this);
    Bt10->setToolTip(QStringLiteral("Page No."));
    Bt10->setGeometry(259, 3, 25, 21);
    Bt10->setStyleSheet(QStringLiteral("color: blue; text-decoration: none"));
    BtNext = pictureButton(this, ButtonGlyphs::next(), QStringLiteral("Next"), {283, 3, 25, 21});
    BTlast = pictureButton(this, ButtonGlyphs::last(), QStringLiteral("last"), {311, 3, 25, 21});
    // Enlarge and restore take turns at one place, right of the page buttons
    // (at 288 the enlarge picture would cover the next-page button).
    TbFd = pictureButton(this, ButtonGlyphs::enlarge(), QStringLiteral("Graphic Enlarge"), {336, 4, 25, 25});
    TbSx = pictureButton(this, ButtonGlyphs::restore(), QStringLiteral("Graphic Restore"), {336, 4, 25, 25});
    TbFd->setCursor(Qt::ArrowCursor);
    TbSx->setCursor(Qt::ArrowCursor);
    TbSx->hide();
}

void TrendChartView::refresh(const TrendChart &trend)
{
    const int columns = qMax(1, int(chart()->plotArea().width()));
    const std::vector<QPointF> points = trend.pagePoints(columns);
    const QList<QPointF> shown(points.begin(), points.end());
    const bool area = trend.visibleSeries() == TrendChart::Area;
    Series2->setVisible(area);
    Series1->setVisible(!area);
    if (area) {
        areaUpper->replace(shown);
        Series1->clear();
    } else {
        Series1->replace(shown);
        areaUpper->clear();
    }

    const TrendChart::PageRange range = trend.pageRange();
    const double axisMaximum = qMax(range.axisMaximum, range.axisMinimum + 1);
    axisX->setRange(range.axisMinimum, axisMaximum);
    const AxisTicks ticks =
        WholeNumberTicks(range.axisMinimum, axisMaximum, 1 + int(chart()->plotArea().width()) / PixelsPerLabel);
    axisX->setTickAnchor(ticks.anchor);
    axisX->setTickInterval(ticks.interval);
    axisY->setRange(trend.leftAxisMinimum(), trend.leftAxisMaximum());

    BtFirst->setEnabled(trend.buttons.first);
    BTPrevious->setEnabled(trend.buttons.previous);
    BtNext->setEnabled(trend.buttons.next);
    BTlast->setEnabled(trend.buttons.last);
    Bt10->setText(trend.pageCaption);
    if (BtFill->isChecked() != trend.fill())
        BtFill->setChecked(trend.fill());
}

QImage TrendChartView::picture() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const_cast<QGraphicsScene *>(scene())->render(&painter, QRectF(image.rect()), sceneRect());
    return image;
}

#include "gui/chart/ChartPanel.h"

#include "core/app/MeterSession.h"
#include "core/common/Messages.h"
#include "core/common/WholeFile.h"
#include "gui/chart/ChartControls.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DisplayPanel.h"
#include "gui/widgets/Commands.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/RefreshScheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSize>
#include <QToolButton>

#include <array>
#include <tuple>

ChartPanel::ChartPanel(ChartControls &controls, MeterSession &meterSession, Dialogs *const &boxes,
                       DisplayPanel &displayPanel, RefreshScheduler &refreshScheduler)
    : ui(controls), session(meterSession), dialogs(boxes), display(displayPanel), refresher(refreshScheduler)
{
    refresher.subscribeCapped([this] { refresh(); }, [this] { return behind(); });
    TrendChartView *chart = ui.Chtshow;
    connect(chart->BtFill, &QCheckBox::clicked, this, &ChartPanel::BtFillClick);
    connect(ui.FillP, &QAction::triggered, this, &ChartPanel::FillPClick);
    connect(chart->Maxrecord, &QLineEdit::textChanged, this, &ChartPanel::MaxrecordChange);
    const std::array<std::tuple<QToolButton *, QAction *, void (ChartPanel::*)()>, 6> commands{
        {{chart->BtSave, ui.Savepicture, &ChartPanel::BtSaveClick},
         {chart->BtNew, ui.ClearP, &ChartPanel::BtNewClick},
         {chart->BtFirst, ui.FirstP, &ChartPanel::BtFirstClick},
         {chart->BTPrevious, ui.PrivousP, &ChartPanel::BTPreviousClick},
         {chart->BtNext, ui.NextP, &ChartPanel::BtNextClick},
         {chart->BTlast, ui.LastP, &ChartPanel::BTlastClick}}};
    for (const auto &[button, item, handler] : commands) {
        clickTriggers(button, item);
        connect(item, &QAction::triggered, this, handler);
    }
    connect(chart->TbFd, &QToolButton::clicked, this, &ChartPanel::TbSxClick);
    connect(chart->TbSx, &QToolButton::clicked, this, &ChartPanel::TbSxClick);
}

bool ChartPanel::behind() const
{
    return session.chart.revision() != shownRevision;
}

void ChartPanel::refresh()
{
    if (!behind())
        return;
    shownRevision = session.chart.revision();
    ui.Chtshow->refresh(session.chart);
}

void ChartPanel::BtFillClick()
{
    ui.FillP->setChecked(ui.Chtshow->BtFill->isChecked());
    session.chart.setFill(ui.Chtshow->BtFill->isChecked());
    refresher.refreshNow();
}

// The item's own toggle has already inverted the mark; the check box follows,
// and its click handler switches the series.
void ChartPanel::FillPClick()
{
    ui.Chtshow->BtFill->setChecked(ui.FillP->isChecked());
    BtFillClick();
}

void ChartPanel::MaxrecordChange()
{
    const QString refusal = session.chart.pointsPerPageEdited(ui.Chtshow->Maxrecord->text());
    if (!refusal.isEmpty())
        dialogs->error(refusal);
    refresher.refreshNow();
}

void ChartPanel::BtFirstClick()
{
    session.chart.firstPage();
    refresher.refreshNow();
}

void ChartPanel::BTPreviousClick()
{
    session.chart.previousPage();
    refresher.refreshNow();
}

void ChartPanel::BtNextClick()
{
    session.chart.nextPage();
    refresher.refreshNow();
}

void ChartPanel::BTlastClick()
{
    session.chart.lastPage();
    refresher.refreshNow();
}

void ChartPanel::BtNewClick()
{
    session.chart.clear();
    refresher.refreshNow();
}

namespace {

// The enlarged chart is sized from the window's outer size, which the
// program's original frame makes the client area plus 4-pixel borders and
// 42 pixels of caption and menu bar (538 pixels high for a 492-pixel client
// area): here the client area is fixed and the frame is the desktop's, so the
// original's is added.
constexpr QSize OriginalFrame{8, 46};

} // namespace

// Enlarges the chart over most of the window, or puts it back.
void ChartPanel::TbSxClick()
{
    TrendChartView *chart = ui.Chtshow;
    std::array<qint32, 4> &saved = SavedChartBounds;
    if (chart->y() > 50) {
        chart->TbFd->hide();
        chart->TbSx->show();
        saved = {chart->x(), chart->y(), chart->width(), chart->height()};
        const QSize window = chart->parentWidget()->size() + OriginalFrame;
        chart->setGeometry(2, 25, window.width() - 10, window.height() - 80);
        display.setAnnunciatorRowVisible(false);
    } else {
        chart->TbSx->hide();
        chart->TbFd->show();
        chart->setGeometry(saved[0], saved[1], saved[2], saved[3]);
        display.setAnnunciatorRowVisible(true);
    }
    shownRevision = 0;
    refresher.refreshNow();
}

void ChartPanel::BtSaveClick()
{
    const QString file = dialogs->savePictureFile();
    if (file.isEmpty() || dialogs->refusesSpecialFile(file))
        return;
    // The old picture stays whole until the new one is complete on disk.
    WholeFile out(file);
    const bool saved = out.open() && ui.Chtshow->picture().save(&out.device(), "BMP") && out.commit();
    if (!saved) {
        const QString why = out.errorString();
        dialogs->error(
            Messages::CannotCreateFile(file, why.isEmpty() ? QStringLiteral("The picture could not be made.") : why));
        return;
    }
    dialogs->information(QStringLiteral("Graphic has saved on %1").arg(file));
}

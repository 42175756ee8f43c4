#include "gui/recording/RecordingPanel.h"

#include "core/app/MeterSession.h"
#include "gui/display/DisplayPanel.h"
#include "gui/display/VirtualLcd.h"
#include "gui/recording/ReadingTableModel.h"
#include "gui/recording/RecordingControls.h"
#include "gui/widgets/Commands.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/RefreshScheduler.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <array>

RecordingPanel::RecordingPanel(RecordingControls &controls, MeterSession &meterSession, Dialogs *const &boxes,
                               DisplayPanel &displayPanel, RefreshScheduler &refreshScheduler)
    : ui(controls), session(meterSession), dialogs(boxes), display(displayPanel), refresher(refreshScheduler)
{
    refresher.subscribeCapped([this] { syncGrid(); }, [this] { return ui.DataSource1->behind(); });
    ui.RecordSITime->installEventFilter(this); // the key filter
    ui.DBGrid1->installEventFilter(this);
    connect(ui.RepeatSet, &QCheckBox::toggled, this, &RecordingPanel::RepeatSetClick);
    connect(ui.RecordSI, &QCheckBox::toggled, this, &RecordingPanel::RecordSIClick);
    connect(ui.RecordSITime, &QLineEdit::textChanged, this, &RecordingPanel::RecordSITimeChange);
    clickTriggers(ui.SpeedButton2, ui.ClearR);
    connect(ui.ClearR, &QAction::triggered, this, &RecordingPanel::ClearRClick);
    connect(ui.storeDelete, &QAction::triggered, this, &RecordingPanel::SpeedButton9Click);
    const std::array<std::pair<QAction *, qint32>, 6> limits{{{ui.set1k, 1000},
                                                              {ui.set5k, 5000},
                                                              {ui.set10k, 10000},
                                                              {ui.set50k, 50000},
                                                              {ui.set100k, 100000},
                                                              {ui.setlimit, RecordPolicy::Limitless}}};
    for (const auto &[item, limit] : limits)
        connect(item, &QAction::triggered, this, [this, item = item, limit = limit] { setLimitClick(item, limit); });
    connect(ui.SampInterTime, &QTimer::timeout, this, &RecordingPanel::SampInterTimeTimer);
}

void RecordingPanel::SampInterTimeTimer()
{
    session.recordPolicy.sampleTick();
}

void RecordingPanel::RepeatSetClick(bool on)
{
    session.recordPolicy.settings.RepeatSet = on;
}

void RecordingPanel::RecordSIClick(bool on)
{
    session.recordPolicy.settings.RecordSI = on;
}

void RecordingPanel::RecordSITimeChange()
{
    session.recordPolicy.settings.RecordSITime = ui.RecordSITime->text();
    const QString conversionError = session.recordPolicy.intervalEdited();
    if (!conversionError.isEmpty())
        dialogs->error(conversionError);
}

// The key filter of RecordSITime (digits and backspace only) and Ctrl+Delete
// in the grid.
bool RecordingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == ui.RecordSITime) {
        const QString text = key->text();
        const bool character = !text.isEmpty();
        const bool allowed = text.size() == 1 && (text[0].isDigit() || text[0] == QChar(8));
        return character && !allowed; // refused characters are swallowed
    }
    if (watched == ui.DBGrid1 && key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
        deleteSelectedRecord();
        return true;
    }
    return false;
}

void RecordingPanel::deleteSelectedRecord()
{
    const int row = ui.DBGrid1->currentIndex().row();
    if (row < 0 || !dialogs->confirm(QStringLiteral("Delete record?")))
        return;
    ui.DataSource1->removeTableRow(row, [this](int r) { session.cds1.removeRow(r); });
}

void RecordingPanel::ClearRClick()
{
    session.display.hideSmallPoints();
    display.updateLcd();
    dialogs->information(QStringLiteral(" Warning:all Records will be deleted! "));
    session.recordPolicy.ClearAll();
    refresher.refreshNow();
}

void RecordingPanel::SpeedButton9Click()
{
    dialogs->information(QStringLiteral(" Warning:all Store Records will be deleted! "));
    session.recordPolicy.clearTableOnly();
    refresher.refreshNow();
}

void RecordingPanel::setLimitClick(QAction *item, qint32 limit)
{
    session.state.RecordLimit = limit;
    for (QAction *each : {ui.set1k, ui.set5k, ui.set10k, ui.set50k, ui.set100k, ui.setlimit})
        each->setChecked(each == item);
}

void RecordingPanel::syncGrid()
{
    if (ui.DataSource1->sync())
        showNewestRow();
}

void RecordingPanel::showNewestRow()
{
    const int newest = ui.DataSource1->rowCount() - 1;
    if (newest < 0)
        return;
    ui.DBGrid1->selectRow(newest);
    ui.DBGrid1->scrollTo(ui.DataSource1->index(newest, 0));
}

QStringList RecordingPanel::gridTitles() const
{
    QStringList titles;
    const QHeaderView *header = ui.DBGrid1->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        titles << ui.DataSource1->headerData(header->logicalIndex(visual), Qt::Horizontal).toString();
    return titles;
}

void RecordingPanel::selectRow(int row)
{
    ui.DBGrid1->selectRow(row);
}

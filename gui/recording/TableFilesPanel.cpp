#include "gui/recording/TableFilesPanel.h"

#include "core/app/MeterSession.h"
#include "core/recording/TableFiles.h"
#include "gui/recording/RecordingPanel.h"
#include "gui/recording/TableFilesControls.h"
#include "gui/widgets/Commands.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/RefreshScheduler.h"

#include <QAction>
#include <QToolButton>

TableFilesPanel::TableFilesPanel(TableFilesControls &controls, MeterSession &meterSession, Dialogs *const &boxes,
                                 RecordingPanel &recordingPanel, RefreshScheduler &refreshScheduler)
    : ui(controls), session(meterSession), dialogs(boxes), recording(recordingPanel), refresher(refreshScheduler)
{
    // File > Save As... is the command; Record > Save and the Save Data button
    // carry it out.
    clickTriggers(ui.SpeedButton1, ui.Save_as);
    connect(ui.SaveR, &QAction::triggered, ui.Save_as, &QAction::trigger);
    connect(ui.Save_as, &QAction::triggered, this, &TableFilesPanel::Save_asClick);
    connect(ui.storeSave, &QAction::triggered, this, &TableFilesPanel::SpeedButton8Click);
    connect(ui.storeOpen, &QAction::triggered, this, &TableFilesPanel::SpeedButton4Click);
}

void TableFilesPanel::Save_asClick()
{
    saveTableAs(false);
}

void TableFilesPanel::SpeedButton8Click()
{
    saveTableAs(true);
}

void TableFilesPanel::saveTableAs(bool forgetLastName)
{
    const QString file = dialogs->saveTableFile(forgetLastName);
    if (!file.isEmpty())
        ExportTable(session.cds1, file);
}

void TableFilesPanel::SpeedButton4Click()
{
    const QString file = dialogs->openTableFile();
    if (!file.isEmpty())
        ImportTable(file, session.cds1, false);
}

void TableFilesPanel::ExportTable(const ReadingTable &Table, const QString &FileName)
{
    if (dialogs->refusesSpecialFile(FileName))
        return;
    TableSave job(Table, recording.gridTitles(), FileName);
    dialogs->runJob(QStringLiteral("Saving %1").arg(FileName), job);
    const TableSave::Box box = job.outcomeBox();
    switch (box.kind) {
    case TableSave::Box::Kind::Information: dialogs->information(box.text); break;
    case TableSave::Box::Kind::Plain: dialogs->message(box.text); break;
    case TableSave::Box::Kind::Error: dialogs->error(box.text); break;
    case TableSave::Box::Kind::None: break;
    }
    if (TableLayoutOf(FileName) == TableLayout::Text && Table.rowCount() > 0)
        recording.selectRow(int(Table.rowCount()) - 1); // the save leaves the cursor on the last row
}

void TableFilesPanel::ImportTable(const QString &FileName, ReadingTable &Table, bool EmptyFirst)
{
    if (dialogs->refusesSpecialFile(FileName))
        return;
    TableLoad job(FileName, Table, EmptyFirst);
    job.acceptRegularFilesOnly();
    if (dialogs->runJob(QStringLiteral("Opening %1").arg(FileName), job) == TableFileJob::Status::Failed)
        dialogs->error(TableLoad::failureMessage());
    refresher.refreshNow();
    if (TableLayoutOf(FileName) == TableLayout::Text)
        recording.showNewestRow(); // rows were appended, also when readings were recorded meanwhile
}

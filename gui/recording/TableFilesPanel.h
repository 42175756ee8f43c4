#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class MeterSession;
class ReadingTable;
class RecordingPanel;
class RefreshScheduler;
struct TableFilesControls;

// Table files from the window: File > Save As..., Record > Save and the Save
// Data buttons; File > Open and the Open Data buttons. The dialogs, the
// progress of long jobs, the outcome boxes, and where the grid stands after.
class TableFilesPanel : public QObject
{
public:
    TableFilesPanel(TableFilesControls &ui, MeterSession &session, Dialogs *const &dialogs, RecordingPanel &recording,
                    RefreshScheduler &refresher);

    void Save_asClick();
    void SpeedButton8Click(); // the save dialog forgets the last name first
    void SpeedButton4Click();
    void ExportTable(const ReadingTable &Table, const QString &FileName);
    void ImportTable(const QString &FileName, ReadingTable &Table, bool EmptyFirst);

private:
    void saveTableAs(bool forgetLastName);

    TableFilesControls &ui;
    MeterSession &session;
    Dialogs *const &dialogs;
    RecordingPanel &recording;
    RefreshScheduler &refresher;
};

#pragma once

#include "core/app/MeterSession.h"
#include "core/hid/HidControllerClass.h"
#include "core/link/LinkControl.h"
#include "gui/app/FrmTestUi.h"
#include "gui/app/QtDialogs.h"
#include "gui/widgets/RefreshScheduler.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class ChartPanel;
class DisplayPanel;
class LinkPanel;
class RecordingPanel;
class ReportsPanel;
class TFrmprint;
class TFrmsearch;
class TFrmstore;
class TableFilesPanel;

// The main window, a switchboard. Its controls (FrmTestUi) keep the names the
// program uses for them. Each feature is a panel that takes its own controls'
// struct and connects them to its handlers:
//
//   the LCD, dial and blinking    DisplayPanel     gui/display
//   the link and the ports        LinkPanel        gui/link
//   recording and the grid        RecordingPanel   gui/recording
//   table files                   TableFilesPanel  gui/recording
//   the trend chart               ChartPanel       gui/chart
//   reports                       ReportsPanel     gui/reports
//
// What stays here is what the window itself does: the live path from the
// link, the refresh every panel subscribes to, what crosses features (New,
// Open), the store and search windows once attached, and the program's end.
class TFrmTest : public QMainWindow, public FrmTestUi
{
    Q_OBJECT

public:
    explicit TFrmTest(HidPlatform &hidPlatform, QWidget *parent = nullptr);
    ~TFrmTest() override;

    // The core of the program: the module state (session.state) and the
    // objects that read and write it.
    MeterSession session;
    // The HID device controller and the link to the cable.
    std::unique_ptr<THidDeviceController> HidCtl;
    std::unique_ptr<LinkControl> link;

    // The features; the reports' panel exists once the print style dialog
    // is attached.
    std::unique_ptr<DisplayPanel> displayPanel;
    std::unique_ptr<LinkPanel> linkPanel;
    std::unique_ptr<RecordingPanel> recordingPanel;
    std::unique_ptr<TableFilesPanel> tableFilesPanel;
    std::unique_ptr<ChartPanel> chartPanel;
    std::unique_ptr<ReportsPanel> reportsPanel;

    // Modal boxes go through here; a test may put its own in.
    void setDialogs(Dialogs *replacement) { dialogs = replacement; }

    // Input-report handlers; called on the GUI thread once per report.
    void Read618(THidDevice *HidDev, quint8 ReportID, const quint8 *Data, quint16 Size);
    void ReadProbe(THidDevice *HidDev, quint8 ReportID, const quint8 *Data, quint16 Size);

    // Puts the core's state on the screen now rather than at the next
    // bounded-rate refresh.
    void refreshNow();

    // Commands that cross features
    void NewClick();
    void OpenClick();

    // Reports; they act once the print style dialog is attached.
    void attachReports(TFrmprint &Frmprint);
    // The store window (SpeedButton5) and the search window (Record > Search).
    void attachStoreAndSearch(TFrmstore &Frmstore, TFrmsearch &Frmsearch);
    void SpeedButton5Click();
    void SearchRClick();

    // Shell handlers
    void miExitClick();
    void Panel3Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void connectHandlers();
    void centreOnDesktop();
    void endProgram();

    TFrmstore *storeWindow = nullptr;
    TFrmsearch *searchWindow = nullptr;
    RefreshScheduler refresher{this};

    // Forwards the link's boxes to whatever `dialogs` is at the time.
    class LinkBoxes : public LinkMessages
    {
    public:
        explicit LinkBoxes(TFrmTest &window) : frm(window) {}
        void information(const QString &text) override { frm.dialogs->information(text); }
        void message(const QString &text) override { frm.dialogs->message(text); }

    private:
        TFrmTest &frm;
    };
    QtDialogs qtDialogs{this};
    Dialogs *dialogs = &qtDialogs;
    LinkBoxes linkBoxes{*this};
};

#pragma once

#include "core/app/MeterSession.h"
#include "core/hid/HidControllerClass.h"
#include "core/link/LinkControl.h"
#include "gui/app/FrmTestUi.h"
#include "gui/app/QtDialogs.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class ChartPanel;
class DisplayPanel;
class LinkPanel;
class QAction;
class QTimer;
class RecordingPanel;
class ReportsPanel;
class TFrmprint;
class TFrmsearch;
class TFrmstore;
class TableFilesPanel;

// The main window, a switchboard. Its controls (FrmTestUi) keep the names the
// program uses for them, and so do its handlers; each handler forwards to the
// feature that owns it:
//
//   the link and the ports        LinkPanel        gui/link
//   recording and the grid        RecordingPanel   gui/recording
//   table files                   TableFilesPanel  gui/recording
//   the trend chart               ChartPanel       gui/chart
//   reports                       ReportsPanel     gui/reports
//   the store and search windows  TFrmstore, TFrmsearch  gui/dialogs
//
//   the LCD, dial and repaint     DisplayPanel     gui/display
//
// Each feature connects its own controls; what stays here is what crosses
// features (New, Open), the reports and windows once attached, and the
// program's end.
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

    // Modal boxes go through here; a test may put its own in.
    void setDialogs(Dialogs *replacement) { dialogs = replacement; }

    // Input-report handlers; called on the GUI thread once per report.
    void Read618(THidDevice *HidDev, quint8 ReportID, const quint8 *Data, quint16 Size);
    void ReadProbe(THidDevice *HidDev, quint8 ReportID, const quint8 *Data, quint16 Size);
    void ShowData618(const QByteArray &displayText);
    void FlashTimeTimer();
    void KDsetup();
    void KDrun(int value);

    // Puts the core's state on the screen now rather than at the next
    // bounded-rate refresh.
    void refreshNow();

    // Recording and chart handlers
    void INDataToTable(int mode);
    void SampInterTimeTimer();
    void RecordSITimeChange();
    void ClearRClick();
    void NewClick();
    void setLimitClick(QAction *item, qint32 limit);
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void BtNewClick();
    void BtSaveClick();

    // Table files
    void OpenClick();
    void SpeedButton4Click();

    // Link handlers
    void Panel2Click();
    void ConTimerTimer();

    // Reports; they act once the print style dialog is attached.
    void attachReports(TFrmprint &Frmprint);
    // The store window (SpeedButton5) and the search window (Record > Search).
    void attachStoreAndSearch(TFrmstore &Frmstore, TFrmsearch &Frmsearch);
    void SpeedButton5Click();
    void SearchRClick();
    void printClick();
    void MajPrintClick();
    void SpeedButton7Click();

    // Shell handlers
    void miExitClick();
    void Panel3Click();
    void Panel1Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void connectHandlers();
    void centreOnDesktop();
    void endProgram();

    // The features, each with the widgets' behaviour it owns.
    std::unique_ptr<DisplayPanel> displayPanel;
    std::unique_ptr<LinkPanel> linkPanel;
    std::unique_ptr<RecordingPanel> recordingPanel;
    std::unique_ptr<TableFilesPanel> tableFilesPanel;
    std::unique_ptr<ChartPanel> chartPanel;
    std::unique_ptr<ReportsPanel> reportsPanel;
    TFrmstore *storeWindow = nullptr;
    TFrmsearch *searchWindow = nullptr;

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

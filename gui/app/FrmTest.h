#pragma once

#include "core/app/MeterSession.h"
#include "core/hid/HidControllerClass.h"
#include "core/link/LinkControl.h"
#include "gui/app/Dialogs.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class DialPanel;
class ReadingTableModel;
class TrendChartView;
class Panel;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class VirtualLcd;

// The main window. Its controls keep the names the rest of the program uses for
// them; its handlers take the event, call core and put the answer on screen.
class TFrmTest : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 687;
    static constexpr int ClientHeight = 492;

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
    void SpeedButton9Click();
    void deleteSelectedRecord(); // Ctrl+Delete in the grid

    // Table files
    void Save_asClick();
    void SpeedButton8Click();
    void OpenClick();
    void SpeedButton4Click();
    void ExportTable(const ReadingTable &Table, const QString &FileName);
    void ImportTable(const QString &FileName, ReadingTable &Table, bool EmptyFirst);

    // Link handlers
    void Panel2Click();
    void USBConClick();
    void ReadBtnClick();
    void SetFeatureClick();
    void ConTimerTimer();

    // Shell handlers
    void miExitClick();
    void Panel3Click();
    void Panel1Click();
    void COM1Click();
    void COM2Click();
    void COM3Click();
    void COM4Click();
    void USBClick();

    // Controls of the client area
    QWidget *client = nullptr;
    Panel *Panel2 = nullptr; // "CONNECT"
    Panel *Panel3 = nullptr; // "EXIT"
    VirtualLcd *Panel9 = nullptr;
    QProgressBar *PBar2 = nullptr;
    Panel *Panel7 = nullptr; // record panel
    QCheckBox *RepeatSet = nullptr;
    QCheckBox *RecordSI = nullptr;
    QLineEdit *RecordSITime = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QToolButton *MajPrint = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    QTableView *DBGrid1 = nullptr;
    DialPanel *KD = nullptr;
    TrendChartView *Chtshow = nullptr;
    ReadingTableModel *DataSource1 = nullptr;

    // Controls that are never seen: state holders of the link, and leftovers
    // placed below the client area.
    QToolButton *USBCon = nullptr;
    QToolButton *ReadBtn = nullptr;
    QPushButton *SetFeature = nullptr;
    QListWidget *DevListBox = nullptr;
    QListWidget *HistoryListBox = nullptr;
    Panel *Panel1 = nullptr; // port selection
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    QToolButton *SpeedButton6 = nullptr;
    QToolButton *SpeedButton7 = nullptr;
    QToolButton *SpeedButton8 = nullptr;
    QToolButton *SpeedButton9 = nullptr;
    QTableView *DBGrid2 = nullptr;

    // Menu bar MainMenu1
    QMenu *fileMenu = nullptr;
    QAction *New = nullptr;
    QAction *Open = nullptr;
    QAction *Save_as = nullptr;
    QAction *N1 = nullptr;
    QAction *print = nullptr;
    QAction *N2 = nullptr;
    QAction *miExit = nullptr;
    QMenu *Comset = nullptr;
    QMenu *COM = nullptr;
    std::array<QAction *, 4> COMItems{}; // COM1..COM4
    QAction *N4 = nullptr;
    QAction *USB = nullptr;
    QMenu *graphMenu = nullptr;
    QAction *Savepicture = nullptr;
    QMenu *Move = nullptr;
    QAction *FirstP = nullptr;
    QAction *NextP = nullptr;
    QAction *LastP = nullptr;
    QAction *PrivousP = nullptr;
    QAction *FillP = nullptr;
    QAction *ClearP = nullptr;
    QMenu *recordMenu = nullptr;
    QAction *SaveR = nullptr;
    QMenu *RecSet = nullptr;
    QAction *set1k = nullptr;
    QAction *set5k = nullptr;
    QAction *set10k = nullptr;
    QAction *set50k = nullptr;
    QAction *set100k = nullptr;
    QAction *setlimit = nullptr;
    QAction *ClearR = nullptr;
    QAction *SearchR = nullptr;
    QMenu *aboutMenu = nullptr;
    QAction *HELP1 = nullptr;
    QAction *N3 = nullptr;
    QAction *About2 = nullptr;

    // Timers
    QTimer *ConTimer = nullptr;
    QTimer *SampInterTime = nullptr;
    QTimer *FlashTime = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void createClientArea();
    void createRecordPanel();
    void createGrid();
    void createChart();
    void createHiddenControls();
    void createMenus();
    void createTimers();
    void centreOnDesktop();
    QStringList gridTitles() const;
    void saveTableAs(bool forgetLastName);
    void showNewestRow();
    void selectComPort(int n);
    void endProgram();
    void scheduleRefresh();
    void refreshLinkControls();
    void applyNeedle(const std::optional<Dial::Stroke> &stroke);

    // Bursts of frames cause one repaint, at most 25 a second.
    QTimer *refreshTimer = nullptr;
    quint64 shownChartRevision = 0;

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

#pragma once

#include <QObject>

#include <functional>

class Dialogs;
class MeterSession;
class TFrmprint;
struct ReportsControls;

// Reports from the window: File > Print and the print style dialog with its
// picture chooser, the record panel's Print Data (the data report at once),
// and the off-screen store report button. Each report is shown in the preview.
class ReportsPanel : public QObject
{
public:
    // `repaint` repaints the whole main window.
    ReportsPanel(ReportsControls &ui, TFrmprint &Frmprint, MeterSession &session, Dialogs *const &dialogs,
                 std::function<void()> repaint);

    void printClick();
    void MajPrintClick();
    void SpeedButton7Click();
    void Button1Click(); // and Button2Click: both choose the picture
    void BitBtn1Click();
    // The data report's page count, as its Allpage label shows it.
    void QuickRep1BeforePrint();

private:
    void previewDataReport();

    TFrmprint &Frmprint;
    MeterSession &session;
    Dialogs *const &dialogs;
    std::function<void()> repaint;
};

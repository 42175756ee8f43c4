#include "gui/reports/ReportsPanel.h"

#include "core/app/MeterSession.h"
#include "core/reports/ReportLayout.h"
#include "gui/reports/FrmPrint.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/reports/ReportsControls.h"
#include "gui/widgets/Dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <utility>

ReportsPanel::ReportsPanel(ReportsControls &ui, TFrmprint &dialog, MeterSession &meterSession, Dialogs *const &boxes,
                           std::function<void()> repaintWindow)
    : Frmprint(dialog), session(meterSession), dialogs(boxes), repaint(std::move(repaintWindow))
{
    connect(ui.print, &QAction::triggered, this, &ReportsPanel::printClick);
    connect(ui.MajPrint, &QToolButton::clicked, this, &ReportsPanel::MajPrintClick);
    connect(ui.storeReport, &QAction::triggered, this, &ReportsPanel::SpeedButton7Click);
    connect(Frmprint.Button1, &QPushButton::clicked, this, &ReportsPanel::Button1Click);
    connect(Frmprint.Button2, &QPushButton::clicked, this, &ReportsPanel::Button1Click);
    // OK closes the dialog once the report's preview is closed.
    connect(Frmprint.BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        Frmprint.accept();
    });
}

void ReportsPanel::printClick()
{
    Frmprint.exec();
}

void ReportsPanel::QuickRep1BeforePrint()
{
    session.state.DataReportPages = DataReportPages(session.cds1.rowCount());
}

void ReportsPanel::previewDataReport()
{
    QuickRep1BeforePrint();
    dialogs->previewReport(*ReportOfTable(ReportStyle::Data, session.cds1));
}

void ReportsPanel::MajPrintClick()
{
    previewDataReport();
    repaint();
}

void ReportsPanel::SpeedButton7Click()
{
    dialogs->previewReport(*StoreReport());
}

void ReportsPanel::Button1Click()
{
    const QString file = dialogs->openPictureFile();
    if (!file.isEmpty())
        Frmprint.ReportPictureFile = QFileInfo(file).absoluteFilePath();
}

// The picture is read anew every time, so a file saved again since shows its
// new content; one that cannot be read is said, naming the file.
void ReportsPanel::BitBtn1Click()
{
    if (Frmprint.RadioButton1->isChecked()) {
        previewDataReport();
        return;
    }
    if (Frmprint.ReportPictureFile.isEmpty()) {
        dialogs->information(QStringLiteral(" Warning:Please select graph to print! "));
        return;
    }
    if (dialogs->refusesSpecialFile(Frmprint.ReportPictureFile))
        return;
    QString why;
    QImage picture = ReadReportPicture(Frmprint.ReportPictureFile, &why);
    if (picture.isNull()) {
        dialogs->error(QStringLiteral("Cannot read the picture %1: %2").arg(Frmprint.ReportPictureFile, why));
        return;
    }
    const ReportStyle style = Frmprint.RadioButton2->isChecked() ? ReportStyle::Graph : ReportStyle::Both;
    dialogs->previewReport(*ReportOfTable(style, session.cds1, std::move(picture)));
}

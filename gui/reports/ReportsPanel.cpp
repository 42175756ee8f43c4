#include "gui/reports/ReportsPanel.h"

#include "core/app/MeterSession.h"
#include "core/reports/ReportLayout.h"
#include "gui/app/Dialogs.h"
#include "gui/reports/FrmPrint.h"
#include "gui/reports/ReportRenderer.h"
#include "platform/locale/SystemLocale.h"

#include <QDate>
#include <QFileInfo>
#include <QImageReader>
#include <QPushButton>
#include <QRadioButton>

#include <utility>

namespace {

QString today()
{
    return SystemShortDate(QDate::currentDate());
}

} // namespace

ReportsPanel::ReportsPanel(TFrmprint &dialog, MeterSession &meterSession, Dialogs *const &boxes,
                           std::function<void()> repaintWindow)
    : Frmprint(dialog), session(meterSession), dialogs(boxes), repaint(std::move(repaintWindow))
{
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
    const ReportRenderer report(ReportLayouts::QuickRep1(),
                                {&session.cds1, {}, today(), session.state.DataReportPages});
    dialogs->previewReport(report);
}

void ReportsPanel::MajPrintClick()
{
    previewDataReport();
    repaint();
}

// The store report is bound to no table: one page of headers, its own count.
void ReportsPanel::SpeedButton7Click()
{
    const ReportRenderer report(ReportLayouts::QuickRep2(), {nullptr, {}, today(), DataReportPages(0)});
    dialogs->previewReport(report);
}

void ReportsPanel::Button1Click()
{
    const QString file = dialogs->openPictureFile();
    if (!file.isEmpty())
        Frmprint.ReportPictureFile = QFileInfo(file).absoluteFilePath();
}

// The picture is read anew every time, so a file saved again since shows its
// new content; one that cannot be read is said, naming the file.
std::optional<QImage> ReportsPanel::readPicture()
{
    QImageReader reader(Frmprint.ReportPictureFile);
    QImage picture;
    if (QFileInfo(Frmprint.ReportPictureFile).isDir() || !reader.read(&picture)) {
        dialogs->error(QStringLiteral("Cannot read the picture %1: %2")
                           .arg(Frmprint.ReportPictureFile, QFileInfo(Frmprint.ReportPictureFile).isDir()
                                                                ? QStringLiteral("it is a folder")
                                                                : reader.errorString()));
        return std::nullopt;
    }
    return picture;
}

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
    const std::optional<QImage> picture = readPicture();
    if (!picture)
        return;
    const bool graph = Frmprint.RadioButton2->isChecked();
    const ReportRenderer report(
        graph ? ReportLayouts::QuickRep3() : ReportLayouts::QuickRep4(),
        {graph ? nullptr : &session.cds1, *picture, today(), DataReportPages(session.cds1.rowCount())});
    dialogs->previewReport(report);
}

#include "ReportOut.h"

#include "core/recording/ReadingTable.h"
#include "core/reports/ReportLayout.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportRenderer.h"
#include "platform/locale/SystemLocale.h"

#include <QDate>
#include <QFileInfo>
#include <QImageReader>

std::optional<ReportOut> ReportOut::prepare(const LogOptions &options, QString *error)
{
    ReportOut out;
    out.kind = *options.report;
    out.exportFile = options.exportFile;
    if (out.kind == LogOptions::Report::Data)
        return out;
    if (options.picture.isEmpty()) {
        *error = QStringLiteral(" Warning:Please select graph to print! ");
        return std::nullopt;
    }
    QImageReader reader(options.picture);
    if (QFileInfo(options.picture).isDir() || !reader.read(&out.picture)) {
        *error = QStringLiteral("cannot read the picture %1: %2")
                     .arg(options.picture,
                          QFileInfo(options.picture).isDir() ? QStringLiteral("a folder") : reader.errorString());
        return std::nullopt;
    }
    return out;
}

bool ReportOut::write(const ReadingTable &table, QString *error) const
{
    const bool graph = kind == LogOptions::Report::Graph;
    ReportLayout layout = graph                              ? ReportLayouts::QuickRep3()
                          : kind == LogOptions::Report::Both ? ReportLayouts::QuickRep4()
                                                             : ReportLayouts::QuickRep1();
    const ReportRenderer report(
        std::move(layout),
        {graph ? nullptr : &table, picture, SystemShortDate(QDate::currentDate()), DataReportPages(table.rowCount())});
    ReportExport job(report, exportFile, *ReportFileFormatOf(exportFile));
    if (job.run() == TableFileJob::Status::Done)
        return true;
    *error = QStringLiteral("cannot export the report to %1: %2").arg(exportFile, job.errorString());
    return false;
}

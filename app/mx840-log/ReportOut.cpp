#include "ReportOut.h"

#include "core/common/WholeFile.h"
#include "gui/reports/QueuePrint.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportRenderer.h"
#include "platform/print/PrintQueue.h"

std::optional<ReportOut> ReportOut::prepare(const LogOptions &options, QString *error)
{
    ReportOut out;
    out.style = *options.report;
    out.exportFile = options.exportFile;
    out.printQueue = options.printQueue;
    QString why;
    if (!out.exportFile.isEmpty() && !WholeFile::canWrite(out.exportFile, &why)) {
        *error = QStringLiteral("cannot export the report to %1: %2").arg(out.exportFile, why);
        return std::nullopt;
    }
    if (out.printQueue && !PrintQueue::takesJobs(*out.printQueue, &why)) {
        *error = QStringLiteral("cannot print the report: %1").arg(why);
        return std::nullopt;
    }
    if (out.style == ReportStyle::Data)
        return out;
    if (options.picture.isEmpty()) {
        *error = QStringLiteral(" Warning:Please select graph to print! ");
        return std::nullopt;
    }
    out.picture = ReadReportPicture(options.picture, &why);
    if (out.picture.isNull()) {
        *error = QStringLiteral("cannot read the picture %1: %2").arg(options.picture, why);
        return std::nullopt;
    }
    return out;
}

bool ReportOut::write(const ReadingTable &table, QString *error) const
{
    const std::unique_ptr<ReportRenderer> report = ReportOfTable(style, table, picture);
    if (!exportFile.isEmpty()) {
        ReportExport job(*report, exportFile, *ReportFileFormatOf(exportFile));
        if (job.run() != SlicedJob::Status::Done) {
            *error = QStringLiteral("cannot export the report to %1: %2").arg(exportFile, job.errorString());
            return false;
        }
    }
    if (printQueue) {
        QueuePrint job(*report, *printQueue, 1, report->pageCount());
        if (job.run() != SlicedJob::Status::Done) {
            *error = QStringLiteral("cannot print the report: %1").arg(job.errorString());
            return false;
        }
    }
    return true;
}

#include "ReportOut.h"

#include "core/common/WholeFile.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportRenderer.h"

std::optional<ReportOut> ReportOut::prepare(const LogOptions &options, QString *error)
{
    ReportOut out;
    out.style = *options.report;
    out.exportFile = options.exportFile;
    QString why;
    if (!WholeFile::canWrite(out.exportFile, &why)) {
        *error = QStringLiteral("cannot export the report to %1: %2").arg(out.exportFile, why);
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
    ReportExport job(*report, exportFile, *ReportFileFormatOf(exportFile));
    if (job.run() == SlicedJob::Status::Done)
        return true;
    *error = QStringLiteral("cannot export the report to %1: %2").arg(exportFile, job.errorString());
    return false;
}

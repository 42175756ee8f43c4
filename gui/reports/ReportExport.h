#pragma once

#include "core/common/SlicedJob.h"
#include "core/common/WholeFile.h"
#include "core/reports/ReportContent.h"

#include <QString>

#include <memory>
#include <optional>

class QPainter;
class QPdfWriter;
class ReportRenderer;

// Writes a whole report into one file, a few pages at a time so that a window
// can show the progress and offer to cancel: PDF (the pages as printed), HTML
// (one self-contained document, every item at its place, the picture
// embedded), plain text or CSV (see ReportContent). The file appears only when
// complete: a cancelled or failed export leaves the old file, or none.
class ReportExport : public SlicedJob
{
public:
    using Format = ReportFileFormat;
    static std::optional<Format> FormatOf(const QString &fileName) { return ReportFileFormatOf(fileName); }

    ReportExport(const ReportRenderer &report, const QString &fileName, Format format);
    ~ReportExport() override;
    Status step() override;
    void cancel() override;

private:
    bool begin();
    bool writePages(qint64 last);
    bool paintPdfPage(qint64 number);
    void appendPage(QByteArray &out, qint64 number) const;
    bool finish();

    const ReportRenderer &report;
    Format format;
    WholeFile file;
    std::unique_ptr<QPdfWriter> pdf;
    std::unique_ptr<QPainter> painter;
    QByteArray pictureSource; // the picture as a data: URL, for HTML
    qint64 nextPage = 0;      // 0: not begun
};

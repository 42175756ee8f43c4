#include "gui/reports/ReportExport.h"

#include "gui/reports/ReportRenderer.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

constexpr qint64 PagesPerSlice = 200;
constexpr qint64 PdfPagesPerSlice = 20;
constexpr int PdfResolution = 600;

QByteArray pngDataUrl(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return "data:image/png;base64," + png.toBase64();
}

} // namespace

ReportExport::ReportExport(const ReportRenderer &renderer, const QString &fileName, Format fileFormat)
    : report(renderer), format(fileFormat), file(fileName)
{
    totalUnits = report.pageCount();
}

ReportExport::~ReportExport()
{
    cancel();
}

bool ReportExport::begin()
{
    if (!file.open())
        return false;
    if (format == Format::Pdf) {
        pdf = std::make_unique<QPdfWriter>(&file.device());
        pdf->setResolution(PdfResolution);
        pdf->setPageLayout(ReportRenderer::paper());
        pdf->setTitle(report.reportLayout().title);
        pdf->setCreator(QStringLiteral("MX840 Interface Software"));
        painter = std::make_unique<QPainter>();
        return painter->begin(pdf.get());
    }
    if (format == Format::Html) {
        if (!report.picture().isNull())
            pictureSource = pngDataUrl(report.picture());
        return file.write(report.reportContent().htmlStart());
    }
    return true;
}

bool ReportExport::paintPdfPage(qint64 number)
{
    if (number > 1 && !pdf->newPage())
        return false;
    report.paintPage(*painter, number);
    return !file.failed(); // the PDF writer itself does not stop at a failed write
}

void ReportExport::appendPage(QByteArray &out, qint64 number) const
{
    switch (format) {
    case Format::Html: out += report.reportContent().htmlPage(number, pictureSource); return;
    case Format::Text:
        if (number > 1)
            out += '\f';
        out += report.reportContent().textPage(number);
        return;
    case Format::Csv: out += report.reportContent().csvPage(number); return;
    case Format::Pdf: return;
    }
}

// The pages of a slice: painted into the PDF, or gathered and written at once.
bool ReportExport::writePages(qint64 last)
{
    if (format == Format::Pdf) {
        for (; nextPage <= last; ++nextPage) {
            if (!paintPdfPage(nextPage))
                return false;
        }
        return true;
    }
    QByteArray pages;
    for (; nextPage <= last; ++nextPage)
        appendPage(pages, nextPage);
    return file.write(pages);
}

bool ReportExport::finish()
{
    if (painter && !painter->end())
        return false;
    painter.reset();
    pdf.reset();
    if (format == Format::Html && !file.write(ReportContent::htmlEnd()))
        return false;
    return file.commit();
}

SlicedJob::Status ReportExport::step()
{
    if (state != Status::Running)
        return state;
    if (nextPage == 0) {
        if (!begin())
            return fail(file.errorString());
        nextPage = 1;
    }
    const qint64 last = std::min(totalUnits, nextPage - 1 + (format == Format::Pdf ? PdfPagesPerSlice : PagesPerSlice));
    if (!writePages(last)) {
        const QString why = file.errorString();
        cancel();
        return fail(why.isEmpty() ? QStringLiteral("the page could not be written") : why);
    }
    doneUnits = nextPage - 1;
    if (nextPage <= totalUnits)
        return state;
    if (!finish())
        return fail(file.errorString());
    state = Status::Done;
    return state;
}

void ReportExport::cancel()
{
    if (painter && painter->isActive())
        painter->end();
    painter.reset();
    pdf.reset();
    file.discard();
    if (state == Status::Running)
        state = Status::Cancelled;
}

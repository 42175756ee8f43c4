#include "gui/reports/ReportExport.h"

#include "gui/reports/ReportRenderer.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

constexpr qint64 PagesPerSlice = 200;
constexpr qint64 PdfPagesPerSlice = 20;
constexpr int PdfResolution = 600;

QByteArray htmlEscaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray mm(double millimetres)
{
    return QByteArray::number(millimetres, 'f', 2) + "mm";
}

QByteArray cssFont(const ReportFont &font)
{
    QByteArray css = "font-family:'" + font.family.toUtf8() +
                     "',Arial,'Liberation Sans',sans-serif;font-size:" + QByteArray::number(font.points, 'g', 4) +
                     "pt;";
    if (font.bold)
        css += "font-weight:bold;";
    if (font.italic)
        css += "font-style:italic;";
    if (font.underline)
        css += "text-decoration:underline;";
    return css;
}

QByteArray pngDataUrl(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return "data:image/png;base64," + png.toBase64();
}

const QByteArray HtmlHead =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title><style>\n"
    "body{background:#888;margin:0;padding:10mm 0}\n"
    ".page{position:relative;width:210mm;height:297mm;margin:0 auto 10mm;background:#fff;overflow:hidden}\n"
    ".item{position:absolute;white-space:pre;line-height:1.15;margin:0}\n"
    "@media print{body{background:none;padding:0}.page{margin:0;page-break-after:always}}\n"
    "</style></head><body>\n";

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
        pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        pdf->setTitle(report.reportLayout().name);
        pdf->setCreator(QStringLiteral("MX840 Interface Software"));
        painter = std::make_unique<QPainter>();
        return painter->begin(pdf.get());
    }
    if (format == Format::Html) {
        const QByteArray head = QByteArray(HtmlHead).replace("%1", htmlEscaped(report.reportLayout().name));
        return file.write(head);
    }
    return true;
}

QByteArray ReportExport::htmlPage(qint64 number) const
{
    const ReportContent &content = report.reportContent();
    QByteArray html = "<div class=\"page\">\n";
    for (const ReportPagination::PlacedBand &placed : content.pages().page(number)) {
        for (const ReportItem &item : placed.band->items) {
            const double left = ReportLayout::Margin + item.left;
            const double top = placed.top + item.top;
            if (item.kind == ReportItem::Kind::Picture) {
                if (!report.picture().isNull())
                    html += "<img class=\"item\" alt=\"" + htmlEscaped(item.name) + "\" style=\"left:" + mm(left) +
                            ";top:" + mm(top) + ";width:" + mm(item.width) + ";height:" + mm(item.height) +
                            "\" src=\"" + pngDataUrl(report.picture()) + "\">\n";
                continue;
            }
            const QString text = content.itemText(item, number, placed.row);
            if (text.isEmpty())
                continue;
            const QByteArray place = item.centred ? "left:" + mm(ReportLayout::Margin) +
                                                        ";width:" + mm(ReportLayout::BandWidth) + ";text-align:center;"
                                                  : "left:" + mm(left) + ";";
            html += "<p class=\"item\" style=\"" + place + "top:" + mm(top) + ";" + cssFont(item.font) + "color:#" +
                    QByteArray::number(item.colour, 16).rightJustified(6, '0') + "\">" + htmlEscaped(text) + "</p>\n";
        }
    }
    return html + "</div>\n";
}

bool ReportExport::writePage(qint64 number)
{
    switch (format) {
    case Format::Pdf:
        if (number > 1 && !pdf->newPage())
            return false;
        report.paintPage(*painter, number);
        return true;
    case Format::Html: {
        const QByteArray page = htmlPage(number);
        return file.write(page);
    }
    case Format::Text: {
        const QByteArray page =
            (number > 1 ? QByteArray("\f") : QByteArray()) + report.reportContent().textPage(number);
        return file.write(page);
    }
    case Format::Csv: {
        const QByteArray page = report.reportContent().csvPage(number);
        return file.write(page);
    }
    }
    return false;
}

bool ReportExport::finish()
{
    if (painter && !painter->end())
        return false;
    painter.reset();
    pdf.reset();
    if (format == Format::Html && !file.write("</body></html>\n"))
        return false;
    return file.commit();
}

TableFileJob::Status ReportExport::step()
{
    if (state != Status::Running)
        return state;
    if (nextPage == 0) {
        if (!begin())
            return fail(file.errorString());
        nextPage = 1;
    }
    const qint64 last = std::min(totalUnits, nextPage - 1 + (format == Format::Pdf ? PdfPagesPerSlice : PagesPerSlice));
    for (; nextPage <= last; ++nextPage) {
        if (!writePage(nextPage)) {
            const QString why = file.errorString();
            cancel();
            return fail(why.isEmpty() ? QStringLiteral("the page could not be written") : why);
        }
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

#include "gui/reports/ReportRenderer.h"

#include "core/recording/ReadingTable.h"
#include "platform/locale/SystemLocale.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

QFont fontOf(const ReportFont &font)
{
    QFont qfont(font.family);
    qfont.setPointSizeF(font.points);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    return qfont;
}

} // namespace

ReportRenderer::ReportRenderer(ReportLayout layout, ReportData data)
    : content(std::move(layout), data.table, std::move(data.date), data.pageCountLabel), image(std::move(data.picture))
{}

void ReportRenderer::paintItem(QPainter &painter, const ReportItem &item, double bandTop, qint64 number, qint64 row,
                               double unit) const
{
    const double left = (ReportLayout::Margin + item.left) * unit;
    const double top = (bandTop + item.top) * unit;
    if (item.kind == ReportItem::Kind::Picture) {
        if (!image.isNull())
            painter.drawImage(QRectF(left, top, item.width * unit, item.height * unit), image);
        return;
    }
    const QString text = itemText(item, number, row);
    if (text.isEmpty())
        return;
    const QFont font = fontOf(item.font);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(QRgb(item.colour)));
    const QFontMetricsF metrics(font, painter.device());
    double x = left;
    if (item.centred)
        x = ReportLayout::Margin * unit + (ReportLayout::BandWidth * unit - metrics.horizontalAdvance(text)) / 2;
    // The item's top is the top of its text; the text stands on its baseline.
    painter.drawText(QPointF(x, top + metrics.ascent()), text);
}

void ReportRenderer::paintPage(QPainter &painter, qint64 number) const
{
    const double unit = painter.device()->logicalDpiX() / 25.4; // device pixels per millimetre
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(QRectF(0, 0, ReportLayout::PageWidth * unit, ReportLayout::PageHeight * unit), Qt::white);
    for (const ReportPagination::PlacedBand &placed : content.pages().page(number)) {
        for (const ReportItem &item : placed.band->items)
            paintItem(painter, item, placed.top, number, placed.row, unit);
    }
    painter.restore();
}

QImage ReportRenderer::pageImage(qint64 number, double dotsPerInch) const
{
    const double unit = dotsPerInch / 25.4;
    QImage page(qRound(ReportLayout::PageWidth * unit), qRound(ReportLayout::PageHeight * unit), QImage::Format_RGB32);
    const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
    page.setDotsPerMeterX(dotsPerMetre);
    page.setDotsPerMeterY(dotsPerMetre);
    page.fill(Qt::white); // the page rarely ends on a whole pixel: the last row and column too
    QPainter painter(&page);
    paintPage(painter, number);
    return page;
}

std::unique_ptr<ReportRenderer> ReportOfTable(ReportStyle style, const ReadingTable &table, QImage picture)
{
    return std::make_unique<ReportRenderer>(ReportLayouts::ofStyle(style),
                                            ReportData{style == ReportStyle::Graph ? nullptr : &table,
                                                       std::move(picture), SystemShortDate(QDate::currentDate()),
                                                       DataReportPages(table.rowCount())});
}

std::unique_ptr<ReportRenderer> StoreReport()
{
    return std::make_unique<ReportRenderer>(
        ReportLayouts::QuickRep2(), ReportData{nullptr, {}, SystemShortDate(QDate::currentDate()), DataReportPages(0)});
}

QImage ReadReportPicture(const QString &file, QString *why)
{
    QImage picture;
    if (QFileInfo(file).isDir()) {
        *why = QStringLiteral("a folder");
        return {};
    }
    // The system's reason for a file that cannot be opened (the image reader
    // says "File not found" for any); not waiting for a FIFO's writer here.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = qt_error_string(errno);
        return {};
    }
    ::close(fd);
    QImageReader reader(file);
    const QSize size = reader.size();
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (limitBytes > 0 && size.isValid() && qint64(size.width()) * size.height() * 4 > limitBytes) {
        *why = QStringLiteral("%1 × %2 pixels, more than the %3 MB a picture may take")
                   .arg(size.width())
                   .arg(size.height())
                   .arg(QImageReader::allocationLimit());
        return {};
    }
    if (!reader.read(&picture)) {
        // A reader that fails halfway may leave a partial image behind, its
        // pixels uninitialised (colour indexes past its colour table).
        *why = reader.errorString();
        return {};
    }
    return picture;
}

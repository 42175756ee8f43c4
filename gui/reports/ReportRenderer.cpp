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
#include <QSet>

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

// Whether a picture has few colours, as a chart or a screenshot has: such a
// picture stays crisp only without lossy compression, and stays small with it.
bool hasFewColours(const QImage &picture)
{
    constexpr qsizetype FewColours = 256;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            colours.insert(line[x]);
            if (colours.size() > FewColours)
                return false;
        }
    }
    return true;
}

} // namespace

ReportRenderer::ReportRenderer(ReportLayout layout, ReportData data)
    : content(std::move(layout), data.table, std::move(data.date), data.pageCountLabel)
    , image(std::move(data.picture))
    , losslessPicture(!image.isNull() && hasFewColours(image))
{}

QPageLayout ReportRenderer::paper()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

void ReportRenderer::paintItem(QPainter &painter, const ReportBand &band, const ReportItem &item, double bandTop,
                               qint64 number, qint64 row, double unit) const
{
    const double left = (ReportLayout::Margin + item.left) * unit;
    const double top = (bandTop + item.top) * unit;
    if (item.kind == ReportItem::Kind::Picture) {
        if (!image.isNull()) {
            painter.setRenderHint(QPainter::LosslessImageRendering, losslessPicture);
            painter.drawImage(QRectF(left, top, item.width * unit, item.height * unit), image);
        }
        return;
    }
    const QString text = itemText(item, number, row);
    if (text.isEmpty())
        return;
    const QFont font = fontOf(item.font);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(QRgb(item.colour)));
    const QFontMetricsF metrics(font, painter.device());
    const ReportLayout::Room room = ReportLayout::roomOf(band, item);
    const double roomLeft = (ReportLayout::Margin + room.left) * unit;
    const double roomRight = (ReportLayout::Margin + room.right) * unit;
    // The item's top is the top of its text; the text stands on its baseline.
    const double baselineY = top + metrics.ascent();
    // Most texts are too short to need measuring (a row's time, a value).
    if (!item.centred && double(text.size()) * metrics.maxWidth() <= roomRight - left) {
        painter.drawText(QPointF(left, baselineY), text);
        return;
    }
    const double width = metrics.horizontalAdvance(text);
    const double x = item.centred ? ReportLayout::Margin * unit + (ReportLayout::BandWidth * unit - width) / 2 : left;
    const QPointF baseline(x, baselineY);
    if (x >= roomLeft && x + width <= roomRight) {
        painter.drawText(baseline, text);
        return;
    }
    painter.save();
    painter.setClipRect(QRectF(roomLeft, top, roomRight - roomLeft, metrics.height()), Qt::IntersectClip);
    painter.drawText(baseline, text);
    painter.restore();
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
            paintItem(painter, *placed.band, item, placed.top, number, placed.row, unit);
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

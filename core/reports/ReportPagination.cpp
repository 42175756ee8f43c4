#include "core/reports/ReportPagination.h"

#include <QtMath>

#include <algorithm>

namespace {

// The printable height of the page, in hundredths of a millimetre: whole
// numbers, so that 37 bands of 6.61 mm fit where 37.1 do.
constexpr qint64 Printable = qint64((ReportLayout::PageHeight - 2 * ReportLayout::Margin) * 100);

} // namespace

ReportPagination::ReportPagination(const ReportLayout &reportLayout, qint64 rowTotal)
    : layout(reportLayout), rows(layout.detailPerRow ? std::max<qint64>(rowTotal, 0) : 0)
{
    const qint64 fixed = heightOf(ReportBand::Kind::PageHeader) + heightOf(ReportBand::Kind::ColumnHeader) +
                         heightOf(ReportBand::Kind::PageFooter);
    const qint64 detail = heightOf(ReportBand::Kind::Detail);
    if (!layout.detailPerRow || detail <= 0)
        return;
    perPage = std::max<qint64>((Printable - fixed) / detail, 1);
    bodyPages = rows == 0 ? 1 : (rows + perPage - 1) / perPage;
    if (layout.band(ReportBand::Kind::Summary)) {
        const qint64 lastRows = rows - (bodyPages - 1) * perPage;
        summaryAlone = fixed + lastRows * detail + heightOf(ReportBand::Kind::Summary) > Printable;
    }
}

qint64 ReportPagination::hundredths(double millimetres)
{
    return qRound64(millimetres * 100);
}

qint64 ReportPagination::heightOf(ReportBand::Kind kind) const
{
    const ReportBand *band = layout.band(kind);
    return band ? hundredths(band->height) : 0;
}

qint64 ReportPagination::firstRow(qint64 number) const
{
    return std::min((number - 1) * perPage, rows);
}

qint64 ReportPagination::rowCount(qint64 number) const
{
    if (number < 1 || number > bodyPages)
        return 0;
    return std::min(perPage, rows - firstRow(number));
}

QList<ReportPagination::PlacedBand> ReportPagination::page(qint64 number) const
{
    QList<PlacedBand> placed;
    if (number < 1 || number > pageCount())
        return placed;
    qint64 top = hundredths(ReportLayout::Margin);
    const auto place = [&](ReportBand::Kind kind, qint64 row = -1) {
        if (const ReportBand *band = layout.band(kind)) {
            placed.append({band, double(top) / 100, row});
            top += hundredths(band->height);
        }
    };
    place(ReportBand::Kind::PageHeader);
    place(ReportBand::Kind::ColumnHeader);
    if (layout.detailPerRow) {
        const qint64 first = firstRow(number);
        for (qint64 row = first; row < first + rowCount(number); ++row)
            place(ReportBand::Kind::Detail, row);
    } else if (number == 1) {
        place(ReportBand::Kind::Detail);
    }
    if (number == pageCount())
        place(ReportBand::Kind::Summary);
    if (const ReportBand *footer = layout.band(ReportBand::Kind::PageFooter)) {
        const qint64 foot = hundredths(ReportLayout::PageHeight - ReportLayout::Margin) - hundredths(footer->height);
        placed.append({footer, double(foot) / 100, -1});
    }
    return placed;
}

#pragma once

#include "core/reports/ReportLayout.h"

#include <QList>
#include <QtGlobal>

// Where the bands of a report go, page by page, the way a banded engine lays
// them out on the A4 page within its margins: the page header at the top of
// every page, the column header under it, a detail band per row (or the one
// detail band), the summary after the last row — on that page when it fits,
// else at the top of a page of its own — and the page footer at the foot of
// the printable area on every page. A report without rows is one page.
//
// Every page is worked out by arithmetic, without laying out the pages before
// it: page 270,271 of ten million rows costs what page 1 costs.
class ReportPagination
{
public:
    ReportPagination(const ReportLayout &layout, qint64 rows);

    qint64 pageCount() const { return bodyPages + (summaryAlone ? 1 : 0); }
    qint64 rowsPerPage() const { return perPage; }

    struct PlacedBand
    {
        const ReportBand *band = nullptr;
        double top = 0;  // millimetres from the page's top edge
        qint64 row = -1; // the table row of a detail band bound to the table
    };
    // The bands of page `number` (1 to pageCount()) in print order.
    QList<PlacedBand> page(qint64 number) const;
    // The first row and the number of rows on page `number`.
    qint64 firstRow(qint64 number) const;
    qint64 rowCount(qint64 number) const;

private:
    static qint64 hundredths(double millimetres);
    qint64 heightOf(ReportBand::Kind kind) const;

    const ReportLayout &layout;
    qint64 rows;
    qint64 perPage = 1;
    qint64 bodyPages = 1;
    bool summaryAlone = false; // the summary did not fit after the last row
};

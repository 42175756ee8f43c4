#pragma once

#include "core/reports/ReportContent.h"

#include <QImage>
#include <QPageLayout>
#include <QString>

#include <memory>

class QPainter;
class ReadingTable;

// What a report shows besides its layout.
struct ReportData
{
    const ReadingTable *table = nullptr; // the rows of a report bound to the table
    QImage picture;                      // the graph reports' picture
    QString date;                        // the print date, as shown
    qint32 pageCountLabel = 1;           // what Allpage (or Sallpage) shows
};

// Paints the pages of a report onto any paint device, in millimetres at the
// device's resolution: an image for the preview and the tests, a printer or a
// PDF writer for printing and export. A page is painted on its own, so a
// report of any length costs one page at a time.
class ReportRenderer
{
public:
    ReportRenderer(ReportLayout layout, ReportData data);
    ReportRenderer(const ReportRenderer &) = delete;
    ReportRenderer &operator=(const ReportRenderer &) = delete;

    qint64 pageCount() const { return content.pageCount(); }
    const ReportLayout &reportLayout() const { return content.layout(); }
    const ReportContent &reportContent() const { return content; }
    const QImage &picture() const { return image; }

    // The paper every report is on: A4 upright, items placed from its corner.
    static QPageLayout paper();

    // Paints page `number` with the page's top-left corner at the painter's
    // origin; the page is white. A text wider than its room is cut where the
    // next item of its band starts, or at the band's edge.
    void paintPage(QPainter &painter, qint64 number) const;
    // Page `number` as an image of `dotsPerInch`.
    QImage pageImage(qint64 number, double dotsPerInch) const;

    // The text an item shows on page `number`, in the band placed for `row`.
    QString itemText(const ReportItem &item, qint64 number, qint64 row) const
    {
        return content.itemText(item, number, row);
    }

private:
    void paintItem(QPainter &painter, const ReportBand &band, const ReportItem &item, double bandTop, qint64 number,
                   qint64 row, double unit) const;

    ReportContent content;
    QImage image;
    bool losslessPicture; // a picture of few colours (a chart) is stored without loss
};

// The report of a style over the reading table, as the window and mx840-log
// make it: dated today in the system's short date format, its Allpage label
// showing the data report's page count; the graph report lists no rows.
std::unique_ptr<ReportRenderer> ReportOfTable(ReportStyle style, const ReadingTable &table, QImage picture = {});

// The store report: bound to no table (one page of headers), its Sallpage
// label showing its own count.
std::unique_ptr<ReportRenderer> StoreReport();

// A graph report's picture, read anew from its file; a null image, with `why`
// set, when it cannot be read (missing, a folder, not a picture, too large).
QImage ReadReportPicture(const QString &file, QString *why);

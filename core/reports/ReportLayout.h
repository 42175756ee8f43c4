#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// The printed reports as data: bands with their heights and the items on them,
// every position in millimetres within its band, as a banded report engine
// declares them. A renderer paints them; the pagination says which band goes
// where on which page.

struct ReportFont
{
    QString family = QStringLiteral("Arial");
    double points = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct ReportItem
{
    enum class Kind {
        Text,       // `text` as it stands
        Field,      // the row's field `field` (0: No, 1: Time, ...)
        Date,       // today's date in the system's short date format
        PageNumber, // the page's number
        PageCount,  // the report's page count (the Allpage or Sallpage label)
        Picture     // the report's picture, stretched to width × height
    };
    Kind kind = Kind::Text;
    QString text;
    int field = -1;
    double left = 0;
    double top = 0;
    double width = 0; // pictures only
    double height = 0;
    ReportFont font;
    quint32 colour = 0x000000; // 0xRRGGBB
    bool centred = false;      // centred on the band's width instead of at `left`
    QString name;              // the item's name where the program uses it (Allpage, QRImage1, ...)
};

struct ReportBand
{
    enum class Kind { PageHeader, ColumnHeader, Detail, Summary, PageFooter };
    Kind kind = Kind::Detail;
    double height = 0;
    QList<ReportItem> items;
};

struct ReportLayout
{
    static constexpr double PageWidth = 210; // A4 portrait
    static constexpr double PageHeight = 297;
    static constexpr double Margin = 10; // on every side
    static constexpr double BandWidth = PageWidth - 2 * Margin;

    QString name;
    QString title; // the heading its page header prints
    // A detail band per row of the table, or one detail band whatever the table.
    bool detailPerRow = true;
    // The fields of the table bound to it, in order (none for the graph report).
    QStringList fields;
    QList<ReportBand> bands; // in print order

    // The band of that kind, or nullptr.
    const ReportBand *band(ReportBand::Kind kind) const;

    // The stretch of its band an item's text may take, in millimetres from
    // the band's left: from the item to the next item of the band to its
    // right, or to the band's edge; a centred item has the band's width. A
    // longer text (a table allows 20 characters) is cut there.
    struct Room
    {
        double left = 0;
        double right = BandWidth;
    };
    static Room roomOf(const ReportBand &band, const ReportItem &item);
};

// The styles the print style dialog offers: the data report, the graph
// report, or both in one.
enum class ReportStyle { Data, Graph, Both };

namespace ReportLayouts {

ReportLayout QuickRep1(); // the data report
ReportLayout QuickRep3(); // the graph report
ReportLayout QuickRep4(); // the data and graph report
ReportLayout QuickRep2(); // the store data report
// The layout of a style: QuickRep1, QuickRep3 or QuickRep4.
ReportLayout ofStyle(ReportStyle style);

} // namespace ReportLayouts

// The data report's page count as its footer prints it: one page up to 37
// rows, then a page per 37 rows begun.
qint32 DataReportPages(qint64 rows);

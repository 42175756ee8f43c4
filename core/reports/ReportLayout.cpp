#include "core/reports/ReportLayout.h"

#include "core/store/Store.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr quint32 Blue = 0x0000FF;
constexpr double BandHeight = 10.58;
constexpr double DetailHeight = 6.61;
constexpr qint64 DataRowsPerPage = 37;

ReportFont arial(double points, bool bold = false, bool underline = false)
{
    ReportFont font;
    font.points = points;
    font.bold = bold;
    font.underline = underline;
    return font;
}

ReportItem text(const QString &caption, double left, double top, const ReportFont &font = arial(10))
{
    ReportItem item;
    item.text = caption;
    item.left = left;
    item.top = top;
    item.font = font;
    return item;
}

ReportItem field(int index, double left, double top)
{
    ReportItem item = text(QString(), left, top);
    item.kind = ReportItem::Kind::Field;
    item.field = index;
    return item;
}

ReportItem of(ReportItem::Kind kind, ReportItem item)
{
    item.kind = kind;
    return item;
}

ReportItem picture(const QString &name, double left, double top, double width, double height)
{
    ReportItem item = of(ReportItem::Kind::Picture, text(QString(), left, top));
    item.name = name;
    item.width = width;
    item.height = height;
    return item;
}

// The title, centred, and "Print Date:" with the date.
ReportBand pageHeader(const QString &title, double titleTop)
{
    ReportItem heading = text(title, 0, titleTop, arial(14, true, true));
    heading.colour = Blue;
    heading.centred = true;
    return {ReportBand::Kind::PageHeader,
            BandHeight,
            {heading, text(QStringLiteral("Print Date:"), 158.8, 5.3, arial(7)),
             of(ReportItem::Kind::Date, text(QString(), 171.4, 5.3, arial(7)))}};
}

// "The Page", the page number, "Of" and the page count in the label `countLabel`.
ReportBand pageFooter(const QString &countLabel)
{
    ReportItem number = of(ReportItem::Kind::PageNumber, text(QString(), 24.3, 4.2, arial(8)));
    number.colour = Blue;
    ReportItem count = of(ReportItem::Kind::PageCount, text(QString(), 37.0, 4.2, arial(9)));
    count.colour = Blue;
    count.name = countLabel;
    return {ReportBand::Kind::PageFooter,
            BandHeight,
            {text(QStringLiteral("The Page"), 8.5, 4.2), number, text(QStringLiteral("Of"), 31.8, 4.2), count}};
}

// One column of a table report: its title in the column header, its field in
// the detail band.
struct Column
{
    const char *title;
    double titleLeft, titleTop, fieldLeft, fieldTop;
};

// The column header and the detail band of a table report; field i is column i.
QList<ReportBand> tableBands(std::initializer_list<Column> columns)
{
    ReportBand header{ReportBand::Kind::ColumnHeader, BandHeight, {}};
    ReportBand detail{ReportBand::Kind::Detail, DetailHeight, {}};
    int index = 0;
    for (const Column &column : columns) {
        header.items.append(text(QString::fromLatin1(column.title), column.titleLeft, column.titleTop));
        detail.items.append(field(index++, column.fieldLeft, column.fieldTop));
    }
    return {header, detail};
}

const QStringList TableFields{QStringLiteral("No"), QStringLiteral("Time"), QStringLiteral("Value"),
                              QStringLiteral("Unit")};

} // namespace

const ReportBand *ReportLayout::band(ReportBand::Kind kind) const
{
    for (const ReportBand &each : bands) {
        if (each.kind == kind)
            return &each;
    }
    return nullptr;
}

ReportLayout::Room ReportLayout::roomOf(const ReportBand &band, const ReportItem &item)
{
    Room room;
    if (item.centred)
        return room;
    room.left = item.left;
    for (const ReportItem &other : band.items) {
        if (!other.centred && other.left > item.left)
            room.right = std::min(room.right, other.left);
    }
    return room;
}

ReportLayout ReportLayouts::QuickRep1()
{
    ReportLayout layout;
    layout.name = QStringLiteral("QuickRep1");
    layout.title = QStringLiteral("MX840 TEST DATA REPORT");
    layout.fields = TableFields;
    layout.bands = {pageHeader(layout.title, 2.1)};
    layout.bands += tableBands({{"No", 12.7, 4.2, 12.7, 2.1},
                                {"Time", 66.7, 4.8, 66.7, 1.6},
                                {"Value", 108.2, 4.8, 109.0, 2.1},
                                {"Unit", 149.2, 4.8, 149.8, 2.1}});
    layout.bands += pageFooter(QStringLiteral("Allpage"));
    return layout;
}

ReportLayout ReportLayouts::QuickRep3()
{
    ReportLayout layout;
    layout.name = QStringLiteral("QuickRep3");
    layout.title = QStringLiteral("MX840 GRAPH REPORT");
    layout.detailPerRow = false;
    layout.bands = {pageHeader(layout.title, 3.2),
                    {ReportBand::Kind::ColumnHeader, 5.03, {}},
                    {ReportBand::Kind::Detail, 156.63, {picture(QStringLiteral("QRImage1"), 2.1, 6.3, 181.2, 151.6)}}};
    return layout;
}

ReportLayout ReportLayouts::QuickRep4()
{
    ReportLayout layout;
    layout.name = QStringLiteral("QuickRep4");
    layout.title = QStringLiteral("MX840 TEST DATA+GRAPH  REPORT");
    layout.fields = TableFields;
    layout.bands = {pageHeader(layout.title, 2.1)};
    layout.bands += tableBands({{"No", 8.5, 4.2, 8.5, 2.1},
                                {"Time", 61.4, 5.3, 60.9, 1.6},
                                {"Value", 110.9, 5.3, 110.6, 1.6},
                                {"Unit", 162.5, 5.3, 162.5, 1.6}});
    layout.bands += {{ReportBand::Kind::Summary, 91.28, {picture(QStringLiteral("QRImage2"), 7.4, 9.5, 143.1, 77.5)}},
                     {ReportBand::Kind::PageFooter, 9.79, {}}};
    return layout;
}

// Its positions are ours: six columns across the band, header and footer as the data report's.
ReportLayout ReportLayouts::QuickRep2()
{
    ReportLayout layout;
    layout.name = QStringLiteral("QuickRep2");
    layout.title = QStringLiteral("MX840 STORE DATA REPORT");
    layout.fields = Store::FieldNames();
    layout.bands = {pageHeader(layout.title, 2.1)};
    layout.bands += tableBands({{"No", 8.5, 4.2, 8.5, 2.1},
                                {"Time", 38.0, 4.2, 38.0, 2.1},
                                {"Value", 70.0, 4.2, 70.0, 2.1},
                                {"Unit", 102.0, 4.2, 102.0, 2.1},
                                {"V_Range", 130.0, 4.2, 130.0, 2.1},
                                {"I_Range", 160.0, 4.2, 160.0, 2.1}});
    layout.bands += pageFooter(QStringLiteral("Sallpage"));
    return layout;
}

ReportLayout ReportLayouts::ofStyle(ReportStyle style)
{
    switch (style) {
    case ReportStyle::Graph: return QuickRep3();
    case ReportStyle::Both: return QuickRep4();
    case ReportStyle::Data: break;
    }
    return QuickRep1();
}

qint32 DataReportPages(qint64 rows)
{
    if (rows <= DataRowsPerPage)
        return 1;
    return qint32(rows / DataRowsPerPage + (rows % DataRowsPerPage != 0 ? 1 : 0));
}

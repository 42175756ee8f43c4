#include "core/recording/ReadingTable.h"
#include "core/reports/ReportContent.h"

#include <QTest>

#include <algorithm>

namespace {

// Rows on each page and the tops of the bands of one page, as text.
QString bandsOf(const ReportPagination &pages, qint64 number)
{
    QStringList placed;
    for (const ReportPagination::PlacedBand &band : pages.page(number)) {
        static const char *names[] = {"header", "columns", "detail", "summary", "footer"};
        placed << QStringLiteral("%1@%2").arg(QLatin1String(names[int(band.band->kind)])).arg(band.top);
    }
    placed.removeDuplicates(); // one entry per kind and top
    return placed.join(u' ');
}

} // namespace

class TestReports : public QObject
{
    Q_OBJECT

private slots:
    void dataReportPages_data();
    void dataReportPages();
    void pageCountsAgreeWithTheFooter();
    void combinedReportPutsTheSummaryWhereItFits_data();
    void combinedReportPutsTheSummaryWhereItFits();
    void bandsSitWhereTheEngineWouldPutThem();
    void anyPageByArithmetic();
    void layoutsCarryThePartsItems();
    void textPagesPutItemsAtTheirColumns();
    void csvPagesReadBackIntoTheRows();
    void csvCellsNeverRunAsFormulas();
    void htmlPagesEscapeTextsAndPlaceItems();
    void itemsRoomReachesTheNextItem();
    void pagesFollowTheTableWhenItIsRefilled();
};

void TestReports::dataReportPages_data()
{
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<int>("pages");
    QTest::newRow("no rows") << qint64(0) << 1;
    QTest::newRow("37") << qint64(37) << 1;
    QTest::newRow("38") << qint64(38) << 2;
    QTest::newRow("74") << qint64(74) << 2;
    QTest::newRow("75") << qint64(75) << 3;
    QTest::newRow("ten million") << qint64(10000000) << 270271;
}

void TestReports::dataReportPages()
{
    QFETCH(qint64, rows);
    QFETCH(int, pages);
    QCOMPARE(DataReportPages(rows), pages);
    const ReportLayout layout = ReportLayouts::QuickRep1();
    QCOMPARE(ReportPagination(layout, rows).pageCount(), qint64(pages));
}

// The count the footer prints and the pages the layout makes are the same
// for every row count.
void TestReports::pageCountsAgreeWithTheFooter()
{
    const ReportLayout layout = ReportLayouts::QuickRep1();
    QCOMPARE(ReportPagination(layout, 1).rowsPerPage(), qint64(37));
    for (qint64 rows = 0; rows < 5000; ++rows)
        QCOMPARE(ReportPagination(layout, rows).pageCount(), qint64(DataReportPages(rows)));
}

void TestReports::combinedReportPutsTheSummaryWhereItFits_data()
{
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<double>("summaryTop");
    // 37 rows a page; the 91.28 mm summary fits after at most 23 rows.
    QTest::newRow("no rows") << qint64(0) << 1 << 31.16;
    QTest::newRow("23: after the rows") << qint64(23) << 1 << 31.16 + 23 * 6.61;
    QTest::newRow("24: a page of its own") << qint64(24) << 2 << 31.16;
    QTest::newRow("37") << qint64(37) << 2 << 31.16;
    QTest::newRow("38: one row on page 2") << qint64(38) << 2 << 31.16 + 6.61;
    QTest::newRow("60") << qint64(60) << 2 << 31.16 + 23 * 6.61;
    QTest::newRow("61") << qint64(61) << 3 << 31.16;
}

void TestReports::combinedReportPutsTheSummaryWhereItFits()
{
    QFETCH(qint64, rows);
    QFETCH(int, pages);
    QFETCH(double, summaryTop);
    const ReportLayout layout = ReportLayouts::QuickRep4();
    const ReportPagination pagination(layout, rows);
    QCOMPARE(pagination.pageCount(), qint64(pages));
    for (qint64 page = 1; page <= pages; ++page) {
        const QList<ReportPagination::PlacedBand> bands = pagination.page(page);
        const bool summary = std::any_of(bands.begin(), bands.end(),
                                         [](const auto &b) { return b.band->kind == ReportBand::Kind::Summary; });
        QCOMPARE(summary, page == pages);
        if (summary) {
            const auto &last = bands[bands.size() - 2]; // the footer comes last
            QCOMPARE(last.band->kind, ReportBand::Kind::Summary);
            QVERIFY(qAbs(last.top - summaryTop) < 0.005);
            QVERIFY(last.top + last.band->height <= 297 - 10 - 9.79 + 0.005);
        }
    }
}

// A4 with 10 mm margins: header and column header from the top margin, the
// rows under them, the footer at the foot of the printable area on every
// page, first and last included.
void TestReports::bandsSitWhereTheEngineWouldPutThem()
{
    const ReportLayout data = ReportLayouts::QuickRep1();
    const ReportPagination seventyFive(data, 75);
    QCOMPARE(bandsOf(seventyFive, 1).section(u' ', 0, 2), QStringLiteral("header@10 columns@20.58 detail@31.16"));
    QVERIFY(bandsOf(seventyFive, 1).endsWith(QStringLiteral("detail@269.12 footer@276.42")));
    QCOMPARE(bandsOf(seventyFive, 3), QStringLiteral("header@10 columns@20.58 detail@31.16 footer@276.42"));
    QCOMPARE(seventyFive.page(3)[2].row, qint64(74));

    const ReportPagination empty(data, 0);
    QCOMPARE(bandsOf(empty, 1), QStringLiteral("header@10 columns@20.58 footer@276.42"));

    const ReportLayout graph = ReportLayouts::QuickRep3();
    const ReportPagination picture(graph, 1000); // the graph report has no rows
    QCOMPARE(picture.pageCount(), qint64(1));
    QCOMPARE(bandsOf(picture, 1), QStringLiteral("header@10 columns@20.58 detail@25.61"));

    const ReportLayout store = ReportLayouts::QuickRep2();
    QCOMPARE(ReportPagination(store, 0).pageCount(), qint64(1));
}

void TestReports::anyPageByArithmetic()
{
    const ReportLayout data = ReportLayouts::QuickRep1();
    const ReportPagination pages(data, 10000000);
    QCOMPARE(pages.firstRow(270271), qint64(270270 * 37));
    QCOMPARE(pages.rowCount(270271), qint64(10));
    const QList<ReportPagination::PlacedBand> last = pages.page(270271);
    QCOMPARE(last.size(), 2 + 10 + 1);
    QCOMPARE(last[2].row, qint64(9999990));
    QVERIFY(pages.page(270272).isEmpty());
    QVERIFY(pages.page(0).isEmpty());
}

// A few items of each layout against the tables they come from.
void TestReports::layoutsCarryThePartsItems()
{
    const ReportLayout data = ReportLayouts::QuickRep1();
    const ReportItem &title = data.band(ReportBand::Kind::PageHeader)->items[0];
    QCOMPARE(title.text, QStringLiteral("MX840 TEST DATA REPORT"));
    QVERIFY(title.centred && title.font.bold && title.font.underline && title.font.points == 14);
    QCOMPARE(title.colour, quint32(0x0000FF));
    const ReportItem &total = data.band(ReportBand::Kind::PageFooter)->items[3];
    QCOMPARE(total.kind, ReportItem::Kind::PageCount);
    QCOMPARE(total.name, QStringLiteral("Allpage"));
    QCOMPARE(total.left, 37.0);
    QCOMPARE(total.font.points, 9.0);
    QCOMPARE(data.band(ReportBand::Kind::Detail)->items[2].left, 109.0);

    const ReportLayout both = ReportLayouts::QuickRep4();
    QCOMPARE(both.band(ReportBand::Kind::PageHeader)->items[0].text, QStringLiteral("MX840 TEST DATA+GRAPH  REPORT"));
    const ReportItem &picture = both.band(ReportBand::Kind::Summary)->items[0];
    QCOMPARE(picture.kind, ReportItem::Kind::Picture);
    QCOMPARE(picture.name, QStringLiteral("QRImage2"));
    QVERIFY(picture.left == 7.4 && picture.top == 9.5 && picture.width == 143.1 && picture.height == 77.5);

    const ReportLayout graph = ReportLayouts::QuickRep3();
    QCOMPARE(graph.band(ReportBand::Kind::PageHeader)->items[0].top, 3.2);
    QVERIFY(!graph.band(ReportBand::Kind::PageFooter));

    const ReportLayout store = ReportLayouts::QuickRep2();
    QCOMPARE(store.fields.size(), 6);
    QCOMPARE(store.band(ReportBand::Kind::PageFooter)->items[3].name, QStringLiteral("Sallpage"));
}

// RFC 4180, as a spreadsheet reads it: quoted fields may hold commas, quotes
// (doubled) and line ends.
QList<QStringList> parseCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += c, ++i;
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            records.last() << field, field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            records.last() << field, field.clear();
            records.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    records.removeLast(); // after the last line end
    return records;
}

void TestReports::textPagesPutItemsAtTheirColumns()
{
    ReadingTable table;
    table.append({1, QStringLiteral("09:00:01"), QStringLiteral("12.5"), QStringLiteral("RPM")});
    table.append({2, QStringLiteral("09:00:02"), std::nullopt, QStringLiteral("RPM")});
    const ReportContent report(ReportLayouts::QuickRep1(), &table, QStringLiteral("10.12.26"), 1);
    const QList<QByteArray> lines = report.textPage(1).split('\n');
    QCOMPARE(lines.size(), 5 + 1);                            // header, columns, two rows, footer
    QCOMPARE(lines[0].indexOf("MX840 TEST DATA REPORT"), 39); // centred on 100 columns
    QVERIFY(lines[0].contains("Print Date: 10.12.26"));       // pushed apart where they would overlap
    // Columns at 1.9 mm each: No at 12.7 mm, Time at 66.7, Value at 109.0, Unit at 149.8.
    QCOMPARE(lines[2],
             QByteArray("       1                           09:00:01              12.5                  RPM\r"));
    QCOMPARE(lines[3].indexOf("RPM"), 79); // the empty Value leaves its place blank
    QCOMPARE(lines[4], QByteArray("    The Page 1   Of 1\r"));
}

// The detail lines of a CSV export are the table's rows, odd texts included.
void TestReports::csvPagesReadBackIntoTheRows()
{
    ReadingTable table;
    const QStringList values{QStringLiteral("1,5"), QStringLiteral("say \"hi\""), QStringLiteral("a\r\nb"),
                             QStringLiteral("12345678901234567890")};
    for (int i = 0; i < values.size(); ++i)
        table.append({i + 1, QStringLiteral("09:00:0%1").arg(i), values[i],
                      i == 3 ? std::nullopt : std::optional(QStringLiteral("RPM"))});
    const ReportContent report(ReportLayouts::QuickRep1(), &table, QStringLiteral("10.12.26"), 1);
    const QList<QStringList> records = parseCsv(report.csvPage(1));
    QCOMPARE(records.size(), 2 + 4 + 1);
    QCOMPARE(records[0], (QStringList{"MX840 TEST DATA REPORT", "Print Date:", "10.12.26"}));
    QCOMPARE(records[1], (QStringList{"No", "Time", "Value", "Unit"}));
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(records[2 + i], (QStringList{QString::number(i + 1), QStringLiteral("09:00:0%1").arg(i), values[i],
                                              i == 3 ? QString() : QStringLiteral("RPM")}));
    QCOMPARE(records[6], (QStringList{"The Page", "1", "Of", "1"}));
    // The graph report's picture is no text: its bands have none to give.
    const ReportContent graph(ReportLayouts::QuickRep3(), nullptr, QStringLiteral("d"), 1);
    QCOMPARE(parseCsv(graph.csvPage(1)).size(), 1);
}

// A cell a spreadsheet would run as a formula gets an apostrophe in front;
// numbers, signed or with a decimal comma, stay as they are.
void TestReports::csvCellsNeverRunAsFormulas()
{
    const QList<std::pair<QString, QString>> cells{
        {"=cmd|\"/C calc\"!A0", "'=cmd|\"/C calc\"!A0"},
        {"+SUM(1+1)", "'+SUM(1+1)"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"-", "'-"},
        {"\tx", "'\tx"},
        {"-12.5", "-12.5"},
        {"+5", "+5"},
        {"-7,25", "-7,25"},
        {"1000.0", "1000.0"},
        {"OL", "OL"},
    };
    ReadingTable table;
    for (const auto &[value, cell] : cells)
        table.append({1, QStringLiteral("09:00:00"), value, QStringLiteral("RPM")});
    const ReportContent report(ReportLayouts::QuickRep1(), &table, QStringLiteral("10.12.26"), 1);
    const QList<QStringList> records = parseCsv(report.csvPage(1));
    for (qsizetype i = 0; i < cells.size(); ++i)
        QCOMPARE(records[2 + i][2], cells[i].second);
}

void TestReports::htmlPagesEscapeTextsAndPlaceItems()
{
    ReadingTable table;
    table.append({1, QStringLiteral("09:00:01"), QStringLiteral("<b>&\"x\""), std::nullopt});
    const ReportContent report(ReportLayouts::QuickRep4(), &table, QStringLiteral("10.12.26"), 1);
    QVERIFY(report.htmlStart().contains("<title>MX840 TEST DATA+GRAPH  REPORT</title>"));
    const QByteArray page = report.htmlPage(1, "data:image/png;base64,AAAA");
    QVERIFY(page.contains(">&lt;b&gt;&amp;&quot;x&quot;</p>"));
    QVERIFY(!page.contains("<b>"));
    QCOMPARE(page.count("<p "), 3 + 4 + 3); // header, column titles, the row (its Unit is NULL)
    QCOMPARE(page.count("src=\"data:image/png;base64,AAAA\">"), 1);
    // Each item at its band's top plus its own, from the page's edge.
    const ReportPagination::PlacedBand detail = report.pages().page(1)[2];
    QCOMPARE(detail.band->kind, ReportBand::Kind::Detail);
    const QByteArray top = "top:" + QByteArray::number(detail.top + detail.band->items[0].top, 'f', 2) + "mm;";
    QVERIFY2(page.contains(top + "font-family:'Arial'"), top);
    QVERIFY(!report.htmlPage(1, {}).contains("<img"));
    // A text's box ends where the next item starts (Time 60.9 -> Value 110.6);
    // each report page is one A4 sheet on paper.
    QVERIFY(page.contains("left:70.90mm;width:49.70mm;top:"));
    QVERIFY(report.htmlStart().contains("@page{size:A4;margin:0}"));
    QVERIFY(report.htmlStart().contains("overflow:hidden"));
}

// Where an item's text must end: at the next item of its band to the right,
// or at the band's edge; a centred title has the band's whole width.
void TestReports::itemsRoomReachesTheNextItem()
{
    const ReportLayout data = ReportLayouts::QuickRep1();
    const ReportLayout both = ReportLayouts::QuickRep4();
    const QList<std::tuple<const ReportBand *, int, double, double>> cases{
        {data.band(ReportBand::Kind::PageHeader), 0, 0, 190},       // the title
        {data.band(ReportBand::Kind::PageHeader), 1, 158.8, 171.4}, // "Print Date:" -> the date
        {data.band(ReportBand::Kind::PageHeader), 2, 171.4, 190},   // the date -> the edge
        {data.band(ReportBand::Kind::Detail), 1, 66.7, 109.0},      // Time -> Value
        {data.band(ReportBand::Kind::Detail), 3, 149.8, 190},       // Unit -> the edge
        {both.band(ReportBand::Kind::ColumnHeader), 0, 8.5, 61.4},  // "No" -> "Time"
        {both.band(ReportBand::Kind::Detail), 3, 162.5, 190}};      // Unit -> the edge
    for (const auto &[band, index, left, right] : cases) {
        const ReportLayout::Room room = ReportLayout::roomOf(*band, band->items[index]);
        QCOMPARE(room.left, left);
        QCOMPARE(room.right, right);
    }
}

// Texts are encoded once per table text; a table emptied and filled anew
// between two pages must not show the texts it held before.
void TestReports::pagesFollowTheTableWhenItIsRefilled()
{
    ReadingTable table;
    table.append({1, QStringLiteral("09:00:01"), QStringLiteral("100"), QStringLiteral("RPM")});
    const ReportContent report(ReportLayouts::QuickRep1(), &table, QStringLiteral("10.12.26"), 1);
    QVERIFY(report.csvPage(1).contains("1,09:00:01,100,RPM"));
    QVERIFY(report.textPage(1).contains("100"));
    table.clear();
    table.append({7, QStringLiteral("10:00:00"), QStringLiteral("7,5"), QStringLiteral("m/min")});
    QVERIFY(report.csvPage(1).contains("7,10:00:00,\"7,5\",m/min"));
    QVERIFY(report.textPage(1).contains("m/min"));
    QVERIFY(report.htmlPage(1, {}).contains(">7,5</p>"));
    table.clear(); // rows gone: their places stay blank
    QCOMPARE(parseCsv(report.csvPage(1))[2], (QStringList{{}, {}, {}, {}}));
}

QTEST_APPLESS_MAIN(TestReports)
#include "tst_reports.moc"

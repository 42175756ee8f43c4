#include "core/recording/ReadingTable.h"
#include "gui/reports/ReportRenderer.h"

#include <QFontMetricsF>
#include <QTest>

namespace {

constexpr double Dpi = 150;
constexpr double Unit = Dpi / 25.4;

ReadingTable tableOfRows(int rows)
{
    ReadingTable table;
    for (int i = 1; i <= rows; ++i)
        table.append({i, QStringLiteral("09:00:%1").arg(i % 60, 2, 10, QLatin1Char('0')), QStringLiteral("12.5"),
                      i % 2 ? std::optional<QString>(QStringLiteral("RPM")) : std::nullopt});
    return table;
}

// The bounding box, in millimetres, of the pixels that are not white within
// a rectangle given in millimetres.
QRectF inkIn(const QImage &page, const QRectF &area)
{
    QRect box;
    for (int y = int(area.top() * Unit); y < int(area.bottom() * Unit) && y < page.height(); ++y) {
        for (int x = int(area.left() * Unit); x < int(area.right() * Unit) && x < page.width(); ++x) {
            if (page.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box.isNull() ? QRectF() : QRectF(box.x() / Unit, box.y() / Unit, box.width() / Unit, box.height() / Unit);
}

} // namespace

class TestReportRenderer : public QObject
{
    Q_OBJECT

private slots:
    void dataReportPage();
    void itemsShowTheirValues();
    void graphReportStretchesThePicture();
};

// Everything within the margins; the title centred and blue at its top; the
// rows from the column header down; the footer at the foot.
void TestReportRenderer::dataReportPage()
{
    const ReadingTable table = tableOfRows(75);
    const ReportRenderer report(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 3});
    QCOMPARE(report.pageCount(), qint64(3));
    const QImage page = report.pageImage(1, Dpi);
    QCOMPARE(page.width(), qRound(210 * Unit));
    QVERIFY(inkIn(page, {0, 0, 210, 10}).isNull());
    QVERIFY(inkIn(page, {0, 287, 210, 10}).isNull());
    QVERIFY(inkIn(page, {0, 0, 10, 297}).isNull());

    // A text's top is the top of its line; capitals begin below it by the
    // font's ascent less its cap height.
    QFont heading(QStringLiteral("Arial"));
    heading.setPointSizeF(14);
    heading.setBold(true);
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(page.dotsPerMeterX());
    probe.setDotsPerMeterY(page.dotsPerMeterY());
    const QFontMetricsF metrics(heading, &probe);
    const double capsBelowTop = (metrics.ascent() - metrics.capHeight()) / Unit;
    const QRectF title = inkIn(page, {10, 10, 150, 10.58});
    QVERIFY2(qAbs(title.top() - (10 + 2.1 + capsBelowTop)) < 0.3, qPrintable(QString::number(title.top())));
    QVERIFY(qAbs(title.center().x() - 105) < 1.0);
    const QPoint blue((title.left() + 1) * Unit, (title.top() + 2.5) * Unit);
    bool sawBlue = false;
    for (int dx = 0; dx < 40 && !sawBlue; ++dx) {
        const QColor c = page.pixelColor(blue + QPoint(dx, 0));
        sawBlue = c.blue() > 150 && c.red() < 100 && c.green() < 100;
    }
    QVERIFY(sawBlue);

    // The first row's No at 12.7 mm from the band's left, under the column header.
    const QRectF firstNo = inkIn(page, {10 + 12.7 - 0.5, 31.16, 20, 6.61});
    QVERIFY(qAbs(firstNo.left() - 22.7) < 0.5);
    QVERIFY(firstNo.top() > 31.16 + 1.5 && firstNo.top() < 31.16 + 4);
    // "The Page" in the footer at 8.5 mm.
    const QRectF footer = inkIn(page, {10, 276.42, 20, 10.58});
    QVERIFY(qAbs(footer.left() - 18.5) < 0.5);
}

void TestReportRenderer::itemsShowTheirValues()
{
    const ReadingTable table = tableOfRows(2);
    const ReportRenderer report(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 7});
    const ReportBand &detail = *report.reportLayout().band(ReportBand::Kind::Detail);
    const ReportBand &footer = *report.reportLayout().band(ReportBand::Kind::PageFooter);
    QCOMPARE(report.itemText(detail.items[0], 1, 1), QStringLiteral("2"));
    QCOMPARE(report.itemText(detail.items[3], 1, 0), QStringLiteral("RPM"));
    QCOMPARE(report.itemText(detail.items[3], 1, 1), QString()); // NULL prints nothing
    QCOMPARE(report.itemText(detail.items[0], 1, 5), QString()); // no such row
    QCOMPARE(report.itemText(footer.items[1], 1, -1), QStringLiteral("1"));
    QCOMPARE(report.itemText(footer.items[3], 1, -1), QStringLiteral("7"));
}

void TestReportRenderer::graphReportStretchesThePicture()
{
    QImage picture(40, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const ReportRenderer report(ReportLayouts::QuickRep3(), {nullptr, picture, QStringLiteral("d"), 1});
    QCOMPARE(report.pageCount(), qint64(1));
    const QImage page = report.pageImage(1, Dpi);
    // The picture box: 2.1, 6.3 in the detail band at 25.61 mm; 181.2 × 151.6 mm.
    const QRectF box = inkIn(page, {10, 25.61, 190, 170});
    QVERIFY(qAbs(box.left() - 12.1) < 0.3 && qAbs(box.top() - 31.91) < 0.3);
    QVERIFY(qAbs(box.width() - 181.2) < 0.3 && qAbs(box.height() - 151.6) < 0.3);
    QCOMPARE(page.pixelColor(int(100 * Unit), int(100 * Unit)), QColor(Qt::red));

    // Without a picture the box is left empty.
    const ReportRenderer none(ReportLayouts::QuickRep3(), {nullptr, QImage(), QStringLiteral("d"), 1});
    QVERIFY(inkIn(none.pageImage(1, Dpi), {10, 25.61, 190, 170}).isNull());
}

QTEST_MAIN(TestReportRenderer)
#include "tst_reportrenderer.moc"

#include "core/recording/ReadingTable.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportPrint.h"
#include "gui/reports/ReportRenderer.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QHash>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <tuple>

#include <sys/resource.h>

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
    void exportsEachFormat();
    void exportsNeverLeaveHalfFiles();
    void pdfTextsSitWhereTheLayoutPutsThem_data();
    void pdfTextsSitWhereTheLayoutPutsThem();
    void printsTheChosenPages();
    void longTextsStayInTheirRoom();
    void chartPicturesStayLossless();
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
    // At 96 dpi the page ends inside its last pixel column and row: they are paper too.
    const QImage screen = report.pageImage(1, 96);
    bool edgesWhite = true;
    for (int y = 0; y < screen.height(); ++y)
        edgesWhite = edgesWhite && screen.pixel(screen.width() - 1, y) == qRgb(255, 255, 255);
    for (int x = 0; x < screen.width(); ++x)
        edgesWhite = edgesWhite && screen.pixel(x, screen.height() - 1) == qRgb(255, 255, 255);
    QVERIFY(edgesWhite);

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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One file per report, in the format its extension names.
void TestReportRenderer::exportsEachFormat()
{
    const ReadingTable table = tableOfRows(75);
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const ReportRenderer data(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 3});
    const ReportRenderer both(ReportLayouts::QuickRep4(), {&table, picture, QStringLiteral("10.12.26"), 3});
    QTemporaryDir dir;
    const auto exported = [&](const ReportRenderer &report, const QString &name) {
        const QString path = dir.filePath(name);
        ReportExport job(report, path, *ReportExport::FormatOf(path));
        return job.run() == SlicedJob::Status::Done ? contents(path)
                                                    : QByteArray("failed: " + job.errorString().toUtf8());
    };
    const QByteArray pdf = exported(data, QStringLiteral("r.pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 3);
    const QByteArray html = exported(both, QStringLiteral("r.html"));
    QCOMPARE(html.count("<div class=\"page\">"), 3);
    QVERIFY(html.contains("MX840 TEST DATA+GRAPH  REPORT"));
    QCOMPARE(html.count("src=\"data:image/png;base64,"), 1); // the summary, once
    const QByteArray text = exported(data, QStringLiteral("r.txt"));
    QCOMPARE(text.count('\f'), 2);
    QCOMPARE(text.count("The Page"), 3);
    const QByteArray csv = exported(data, QStringLiteral("r.csv"));
    QCOMPARE(csv.count("\r\n"), 3 * 3 + 75); // header, columns and footer on each page, and the rows
    QVERIFY(csv.contains("\r\n75,09:00:15,12.5,RPM\r\n"));
    QVERIFY(!ReportExport::FormatOf(QStringLiteral("r.doc")));
}

// Cancelled, failed on a full disk (the file size limit stands in for it) or
// into a folder that is not there: the old file, or none, and never a half one.
void TestReportRenderer::exportsNeverLeaveHalfFiles()
{
    const ReadingTable table = tableOfRows(20000); // more pages than a slice
    const ReportRenderer data(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 541});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.txt"));
    {
        ReportExport job(data, path, ReportExport::Format::Text);
        QCOMPARE(job.step(), SlicedJob::Status::Running);
        job.cancel();
        QCOMPARE(job.status(), SlicedJob::Status::Cancelled);
    }
    QVERIFY(!QFile::exists(path));

    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &small);
    // Qt's PDF writer does not look at what its writes return: the file does.
    for (const ReportExport::Format format : {ReportExport::Format::Text, ReportExport::Format::Pdf}) {
        ReportExport limited(data, path, format);
        const SlicedJob::Status status = limited.run();
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(status, SlicedJob::Status::Failed);
        QVERIFY(!limited.errorString().isEmpty());
        QCOMPARE(contents(path), QByteArray("old"));
        setrlimit(RLIMIT_FSIZE, &small);
    }
    setrlimit(RLIMIT_FSIZE, &saved);

    ReportExport nowhere(data, dir.filePath(QStringLiteral("no/such/r.pdf")), ReportExport::Format::Pdf);
    QCOMPARE(nowhere.run(), SlicedJob::Status::Failed);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("r.txt")});
}

// How the PDF is made: exported, or printed to a printer that has margins of
// its own and another paper (the report's A4 and full page win).
void TestReportRenderer::pdfTextsSitWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("paper");
    QTest::newRow("exported") << false << int(QPageSize::A4);
    QTest::newRow("printed, the printer's margins") << true << int(QPageSize::A4);
    QTest::newRow("printed, Letter and 20 mm margins") << true << int(QPageSize::Letter);
}

// The words of a PDF's first page where a PDF reader finds them (pdftotext
// -bbox), against the data report's layout: within half a millimetre.
void TestReportRenderer::pdfTextsSitWhereTheLayoutPutsThem()
{
    QFETCH(bool, printed);
    QFETCH(int, paper);
    const ReadingTable table = tableOfRows(75);
    const ReportRenderer data(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 3});
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    if (printed) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (paper != QPageSize::A4) {
            printer.setPageSize(QPageSize(QPageSize::PageSizeId(paper)));
            printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        }
        QCOMPARE(ReportPrint(data, printer, 1, 1).run(), SlicedJob::Status::Done);
    } else {
        QCOMPARE(ReportExport(data, pdf, ReportExport::Format::Pdf).run(), SlicedJob::Status::Done);
    }
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    QVERIFY2(pdftotext.waitForFinished(20000) && pdftotext.exitCode() == 0, "pdftotext (poppler-utils) did not run");
    const QString boxes = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QRegularExpressionMatch sheet =
        QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"")).match(boxes);
    QVERIFY(sheet.hasMatch());
    QVERIFY2(qAbs(sheet.captured(1).toDouble() * 25.4 / 72 - 210) < 0.5 &&
                 qAbs(sheet.captured(2).toDouble() * 25.4 / 72 - 297) < 0.5,
             qPrintable(sheet.captured(0))); // A4
    QHash<QString, QPointF> words;           // the first place of each word, in millimetres
    const QRegularExpression word(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]+)</word>"));
    for (auto match = word.globalMatch(boxes); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (!words.contains(m.captured(3)))
            words.insert(m.captured(3), QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * 25.4 / 72);
    }
    // Page margin 10 mm; header band at 10, column header at 20.58, first row at 31.16, footer at 276.42.
    const QList<std::tuple<QString, double, double>> expected{
        {"Print", 10 + 158.8, 10 + 5.3},      {"10.12.26", 10 + 171.4, 10 + 5.3}, {"No", 10 + 12.7, 20.58 + 4.2},
        {"Time", 10 + 66.7, 20.58 + 4.8},     {"Value", 10 + 108.2, 20.58 + 4.8}, {"Unit", 10 + 149.2, 20.58 + 4.8},
        {"09:00:01", 10 + 66.7, 31.16 + 1.6}, {"The", 10 + 8.5, 276.42 + 4.2},    {"Of", 10 + 31.8, 276.42 + 4.2}};
    for (const auto &[text, x, y] : expected) {
        QVERIFY2(words.contains(text), qPrintable(text));
        QVERIFY2(qAbs(words[text].x() - x) < 0.5 && qAbs(words[text].y() - y) < 0.5,
                 qPrintable(QStringLiteral("%1 at %2, %3").arg(text).arg(words[text].x()).arg(words[text].y())));
    }
}

// A printer that prints to a file stands in for a queue: the pages of the
// range, in order; a printer that cannot start, and a print cancelled half-way.
void TestReportRenderer::printsTheChosenPages()
{
    const ReadingTable table = tableOfRows(75);
    const ReportRenderer data(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 3});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("p.pdf")));
    QCOMPARE(ReportPrint(data, printer, 2, 3).run(), SlicedJob::Status::Done);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {printer.outputFileName(), "-"});
    QVERIFY(pdftotext.waitForFinished(20000) && pdftotext.exitCode() == 0);
    const QList<QByteArray> pages = pdftotext.readAllStandardOutput().split('\f');
    QCOMPARE(pages.size(), 2 + 1); // the text ends with a form feed
    QVERIFY(pages[0].contains("09:00:38") && !pages[0].contains("\n1\n"));
    QVERIFY(pages[1].contains("09:00:15")); // row 75

    printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/p.pdf")));
    ReportPrint refused(data, printer, 1, 3);
    QCOMPARE(refused.run(), SlicedJob::Status::Failed);
    QVERIFY(!refused.errorString().isEmpty());

    printer.setOutputFileName(dir.filePath(QStringLiteral("c.pdf")));
    const ReadingTable longer = tableOfRows(1000);
    const ReportRenderer longReport(ReportLayouts::QuickRep1(), {&longer, {}, QStringLiteral("10.12.26"), 28});
    ReportPrint cancelled(longReport, printer, 1, longReport.pageCount());
    QCOMPARE(cancelled.step(), SlicedJob::Status::Running);
    cancelled.cancel();
    QCOMPARE(cancelled.status(), SlicedJob::Status::Cancelled);
}

// A table's texts may be 20 characters: each is cut where the next item of its
// row starts and at the band's edge, never over a column or off the paper.
void TestReportRenderer::longTextsStayInTheirRoom()
{
    ReadingTable table;
    table.append({1, QString(20, u'W'), std::nullopt, QString(20, u'M')});
    const ReportRenderer data(ReportLayouts::QuickRep1(), {&table, {}, QStringLiteral("10.12.26"), 1});
    const QImage page = data.pageImage(1, Dpi);
    // The first row's band is 31.16 to 37.77 mm down; Time at 76.7, Value's
    // place at 119.0 (empty here), Unit at 159.8.
    const QRectF time = inkIn(page, {76.7, 31.16, 82, 6.6});
    QVERIFY(!time.isNull());
    QVERIFY2(time.right() <= 119.0 + 0.1, qPrintable(QString::number(time.right())));
    QVERIFY2(time.right() > 119.0 - 1, "the Time is cut, not dropped");
    const QRectF unit = inkIn(page, {159.8, 31.16, 50.2, 6.6});
    QVERIFY2(!unit.isNull() && unit.right() <= 200 + 0.1, qPrintable(QString::number(unit.right())));

    ReadingTable digits;
    digits.append({1, QStringLiteral("09:00:01"), QStringLiteral("12.5"), QString(20, u'8')});
    const ReportRenderer both(ReportLayouts::QuickRep4(), {&digits, {}, QStringLiteral("10.12.26"), 1});
    const QRectF digitsUnit = inkIn(both.pageImage(1, Dpi), {172.5, 31.16, 37.5, 6.6});
    QVERIFY2(!digitsUnit.isNull() && digitsUnit.right() <= 200 + 0.1, qPrintable(QString::number(digitsUnit.right())));
}

// A chart's picture (few colours) goes into the PDF without loss; a photo-like
// one is still compressed as JPEG, which suits it.
void TestReportRenderer::chartPicturesStayLossless()
{
    QImage chart(400, 300, QImage::Format_RGB32);
    chart.fill(Qt::white);
    for (int x = 0; x < chart.width(); x += 20)
        for (int y = 0; y < chart.height(); ++y)
            chart.setPixel(x, y, qRgb(192, 192, 192));
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QTemporaryDir dir;
    const auto pdfOf = [&dir](const QImage &picture) {
        const ReportRenderer graph(ReportLayouts::QuickRep3(), {nullptr, picture, QStringLiteral("10.12.26"), 1});
        const QString pdf = dir.filePath(QStringLiteral("g.pdf"));
        if (ReportExport(graph, pdf, ReportExport::Format::Pdf).run() != SlicedJob::Status::Done)
            return QByteArray();
        QFile file(pdf);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray lossless = pdfOf(chart);
    QVERIFY(lossless.contains("/Subtype /Image"));
    QVERIFY(!lossless.contains("/DCTDecode"));
    QVERIFY(pdfOf(photo).contains("/DCTDecode"));
}

QTEST_MAIN(TestReportRenderer)
#include "tst_reportrenderer.moc"

#include "core/app/MeterSession.h"
#include "core/chart/AxisTicks.h"
#include "core/common/BlockList.h"

#include <QTest>

namespace {

// A session with a fixed clock, showing readings straight into the policy.
struct Recorder
{
    MeterSession session{QStringLiteral(",")};
    RecordPolicy &policy = session.recordPolicy;
    ModuleState &state = session.state;

    Recorder()
    {
        policy.settings.RepeatSet = true;
        policy.clock = [] { return QTime(9, 5, 7); };
        state.FollowLastPage = true;
    }
    bool show(const QString &reading, const QString &unit = QStringLiteral("RPM"))
    {
        state.ReadingText = reading;
        state.ReadingUnit = unit;
        return policy.INDataToTable(1);
    }
    int rows() const { return int(session.cds1.rowCount()); }
};

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT

private slots:
    void recordsARow();
    void recordLimit_data();
    void recordLimit();
    void repeatSwitch();
    void samplingInterval();
    void intervalTexts_data();
    void intervalTexts();
    void chartValue_data();
    void chartValue();
    void clearAllAndNew();
    void tableKeepsNullsAndCutsTexts();
    void textsAddedByAReaderAreFoundLater();
    void paging_data();
    void paging();
    void pageCommands();
    void pageJumpWaitsForTheVisibleSeries();
    void pointsPerPage();
    void decimationKeepsPeaks();
    void blockListKeepsOrderAcrossBlocks();
    void bottomAxisTicks_data();
    void bottomAxisTicks();
};

void TestRecording::recordsARow()
{
    Recorder r;
    r.policy.timeSeparator = QStringLiteral(".");
    QVERIFY(r.show(QStringLiteral("012,34")));
    const ReadingTable::Row row = r.session.cds1.row(0);
    QCOMPARE(row.No, 1);
    QCOMPARE(row.Time, QStringLiteral("09.05.07"));
    QCOMPARE(row.Value, QStringLiteral("012,34"));
    QCOMPARE(row.Unit, QStringLiteral("RPM"));
    QCOMPARE(r.policy.NextRecordNo, 2);
    QCOMPARE(r.policy.LastRecordedText, QStringLiteral("012,34"));
    QCOMPARE(r.session.chart.value(TrendChart::Line, 1), 12.34);
    QCOMPARE(r.session.chart.value(TrendChart::Area, 1), 12.34);
    QVERIFY(!r.policy.INDataToTable(2)); // other modes record nothing
}

void TestRecording::recordLimit_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("offered");
    QTest::addColumn<int>("recorded");
    QTest::newRow("1000") << 1000 << 1005 << 1000;
    QTest::newRow("5000") << 5000 << 5001 << 5000;
    QTest::newRow("0 records nothing") << 0 << 3 << 0;
}

void TestRecording::recordLimit()
{
    QFETCH(int, limit);
    QFETCH(int, offered);
    QFETCH(int, recorded);
    Recorder r;
    r.state.RecordLimit = limit;
    for (int i = 0; i < offered; ++i)
        r.show(QString::number(i));
    QCOMPARE(r.rows(), recorded);
    QCOMPARE(r.policy.NextRecordNo, recorded + 1);
    QCOMPARE(r.session.chart.pointCount(TrendChart::Line), recorded + 1); // with the placeholder
}

void TestRecording::repeatSwitch()
{
    Recorder r;
    r.policy.settings.RepeatSet = false;
    for (int i = 0; i < 10; ++i)
        r.show(QStringLiteral("12,30"));
    QCOMPARE(r.rows(), 1);
    QVERIFY(!r.show(QStringLiteral("12,30")));
    QVERIFY(r.show(QStringLiteral("12,3"))); // a different text
    r.policy.ClearAll();
    QVERIFY(!r.show(QStringLiteral("12,3"))); // still the last recorded text
    r.policy.settings.RepeatSet = true;
    QVERIFY(r.show(QStringLiteral("12,3")));
}

void TestRecording::samplingInterval()
{
    Recorder r;
    r.policy.settings.RecordSI = true;
    r.policy.settings.RecordSITime = QStringLiteral("10");
    QVERIFY(r.show(QStringLiteral("1"))); // countdown 0 at start
    QCOMPARE(r.policy.SampleCountdown, 10);
    for (int tick = 0; tick < 10; ++tick) {
        QVERIFY(!r.show(QStringLiteral("2")));
        r.policy.sampleTick();
    }
    QCOMPARE(r.policy.SampleCountdown, 0);
    QVERIFY(r.show(QStringLiteral("3")));

    // Unchecked, the countdown freezes; the reload still happens on each row.
    r.policy.sampleTick();
    r.policy.settings.RecordSI = false;
    r.policy.sampleTick();
    QCOMPARE(r.policy.SampleCountdown, 9);
    QVERIFY(r.show(QStringLiteral("4")));
    QCOMPARE(r.policy.SampleCountdown, 10);
    r.policy.settings.RecordSI = true;
    QVERIFY(!r.show(QStringLiteral("5")));
}

void TestRecording::intervalTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("everyReading");
    QTest::addColumn<bool>("conversionError");
    QTest::newRow("empty") << "" << true << false;
    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("-") << "-" << true << false;
    QTest::newRow("+") << "+" << true << false;
    QTest::newRow("3") << "3" << false << false;
    QTest::newRow("pasted text") << "1a" << false << true;
    QTest::newRow("beyond 32 bits") << "99999999999" << false << true;
}

void TestRecording::intervalTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, everyReading);
    QFETCH(bool, conversionError);
    Recorder r;
    r.policy.SampleCountdown = 7;
    r.policy.settings.RecordSI = true;
    r.policy.settings.RecordSITime = text;
    const QString error = r.policy.intervalEdited();
    QCOMPARE(!error.isEmpty(), conversionError);
    if (conversionError) {
        QCOMPARE(error, QStringLiteral("'%1' is not a valid integer value").arg(text));
        QCOMPARE(r.policy.SampleCountdown, 7); // kept
        return;
    }
    r.show(QStringLiteral("1"));
    QCOMPARE(r.show(QStringLiteral("2")), everyReading);
}

void TestRecording::chartValue_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<double>("value");
    QTest::newRow("overload") << "0L" << 100000.0;
    QTest::newRow("L0") << "L0" << 0.0;
    QTest::newRow("decimal") << "00,125" << 0.125;
    QTest::newRow("whole") << "12345" << 12345.0;
    QTest::newRow("not a number") << "x" << 0.0;
}

void TestRecording::chartValue()
{
    QFETCH(QString, reading);
    QFETCH(double, value);
    QCOMPARE(RecordPolicy::ChartValue(reading, QStringLiteral(",")), value);
}

void TestRecording::clearAllAndNew()
{
    Recorder r;
    r.show(QStringLiteral("1"));
    r.show(QStringLiteral("2"));
    r.policy.SampleCountdown = 4;
    r.policy.ClearAll();
    QCOMPARE(r.rows(), 0);
    QCOMPARE(r.policy.NextRecordNo, 1);
    QCOMPARE(r.policy.SampleCountdown, 4);
    QCOMPARE(r.session.chart.pointCount(TrendChart::Area), 3); // the chart is left alone
    r.policy.ClearAll();                                       // on an empty table too
    QCOMPARE(r.policy.NextRecordNo, 1);

    r.show(QStringLiteral("3"));
    r.policy.NextRecordNo = 40;
    r.policy.clearTableOnly(); // the store window's delete keeps the numbering
    QCOMPARE(r.rows(), 0);
    QCOMPARE(r.policy.NextRecordNo, 40);
}

void TestRecording::tableKeepsNullsAndCutsTexts()
{
    ReadingTable table;
    table.append({std::nullopt, std::nullopt, QStringLiteral("123456789012345678901234"), QString()});
    table.append({std::numeric_limits<qint32>::min(), QStringLiteral("10:00:00"), QStringLiteral("1"), std::nullopt});
    table.append({7, QStringLiteral("10:00:00"), QStringLiteral("1"), QStringLiteral("RPM")});
    QCOMPARE(table.row(0).No, std::nullopt);
    QCOMPARE(table.row(0).Time, std::nullopt);
    QCOMPARE(table.row(0).Value, QStringLiteral("12345678901234567890"));
    QCOMPARE(table.row(0).Unit, QString()); // empty, not null
    QCOMPARE(table.row(1).No, std::numeric_limits<qint32>::min());
    QCOMPARE(table.row(1).Unit, std::nullopt);
    QCOMPARE(table.row(2).No, 7);
    table.removeRow(0);
    QCOMPARE(table.row(0).No, std::numeric_limits<qint32>::min());
    QCOMPARE(table.row(1).Unit, QStringLiteral("RPM"));
    // A character of two UTF-16 units across the cut is dropped whole.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    table.append({1, QString(19, u'a') + clef, QString(18, u'a') + clef + u'b', std::nullopt});
    QCOMPARE(table.row(2).Time, QString(19, u'a'));
    QCOMPARE(table.row(2).Value, QString(18, u'a') + clef);
    table.clear();
    QVERIFY(table.isEmpty());
}

// A reader's texts are indexed a step at a time by the appends that follow:
// every row reads back as given, and once the step has caught up, recording
// a text the reader gave adds no new one.
void TestRecording::textsAddedByAReaderAreFoundLater()
{
    ReadingTable table(16);
    const int readerTexts = 3000; // about three steps
    for (int i = 1; i <= readerTexts; ++i)
        table.appendIds({i, table.addText(QString::number(i)), 0, 0, true});
    for (int i = 1; i <= 4; ++i) { // recorded, then read again: the pending texts come first
        table.append({readerTexts + i, QStringLiteral("r%1").arg(i), QString::number(i), std::nullopt});
        table.appendIds({-i, table.addText(QStringLiteral("again%1").arg(i)), 0, 0, true});
    }
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        const ReadingTable::Row r = table.row(row);
        if (row < readerTexts)
            QCOMPARE(r.Time, QString::number(row + 1));
        else if ((row - readerTexts) % 2 == 0)
            QCOMPARE(r.Value, QString::number((row - readerTexts) / 2 + 1));
        else
            QCOMPARE(r.Time, QStringLiteral("again%1").arg((row - readerTexts) / 2 + 1));
    }
    const qsizetype texts = table.textIdCount();
    table.append({1, QStringLiteral("1"), QStringLiteral("2999"), QStringLiteral("again4")});
    QCOMPARE(table.textIdCount(), texts);
    QCOMPARE(table.row(table.rowCount() - 1).Unit, QStringLiteral("again4"));
}

void TestRecording::paging_data()
{
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("points"); // in the visible series, placeholder included
    QTest::addColumn<int>("pages");
    QTest::newRow("empty page count is 1") << 100 << 1 << 1;
    QTest::newRow("exactly one page") << 100 << 100 << 1;
    QTest::newRow("one more") << 100 << 101 << 2;
    QTest::newRow("paging off") << 0 << 5000 << 1;
    QTest::newRow("one per page") << 1 << 7 << 7;
}

void TestRecording::paging()
{
    QFETCH(int, perPage);
    QFETCH(int, points);
    QFETCH(int, pages);
    ModuleState state;
    TrendChart chart(state);
    chart.setPointsPerPage(perPage);
    for (int i = 1; i < points; ++i)
        chart.append(TrendChart::Area, i);
    QCOMPARE(chart.pageCount(), pages);
    chart.setCurrentPage(pages + 5); // clamped
    QCOMPARE(chart.currentPage(), pages);
    chart.setCurrentPage(-3);
    QCOMPARE(chart.currentPage(), 1);
}

void TestRecording::pageCommands()
{
    ModuleState state;
    state.FollowLastPage = true;
    TrendChart chart(state);
    chart.setPointsPerPage(10);
    for (int i = 1; i < 35; ++i)
        chart.append(TrendChart::Area, i); // 35 points: 4 pages
    chart.lastPage();
    QCOMPARE(chart.currentPage(), 4);
    QVERIFY(!chart.buttons.next && !chart.buttons.last && chart.buttons.first && chart.buttons.previous);
    QVERIFY(state.FollowLastPage);

    chart.previousPage();
    QCOMPARE(chart.currentPage(), 3);
    QVERIFY(!state.FollowLastPage);
    QVERIFY(chart.buttons.next && chart.buttons.last);
    chart.firstPage();
    QCOMPARE(chart.pageCaption, QStringLiteral("1"));
    QVERIFY(!chart.buttons.first && !chart.buttons.previous);
    chart.nextPage(); // page 2; first and previous enabled again
    QVERIFY(chart.buttons.first && chart.buttons.previous);
    chart.nextPage();
    chart.nextPage(); // onto the last page: the buttons stay enabled
    QCOMPARE(chart.currentPage(), 4);
    QVERIFY(chart.buttons.next);
    chart.nextPage(); // a further click at the end disables them
    QVERIFY(!chart.buttons.next && !chart.buttons.last);
    QVERIFY(!state.FollowLastPage);

    // Clearing keeps the page and its caption.
    chart.clear();
    QCOMPARE(chart.currentPage(), 4);
    QCOMPARE(chart.pageCaption, QStringLiteral("4"));
    QCOMPARE(chart.pointCount(TrendChart::Area), 1);
    QCOMPARE(chart.pointCount(TrendChart::Line), 1);
}

void TestRecording::pageJumpWaitsForTheVisibleSeries()
{
    // 100 per page: the 100th reading after a clear begins page 2 — at once
    // with the line series shown, one reading later with the area series.
    for (const bool fill : {false, true}) {
        Recorder r;
        r.session.chart.setFill(fill);
        for (int i = 1; i <= 99; ++i)
            r.show(QString::number(i));
        QCOMPARE(r.session.chart.currentPage(), 1);
        r.show(QStringLiteral("100"));
        QCOMPARE(r.session.chart.currentPage(), fill ? 1 : 2);
        r.show(QStringLiteral("101"));
        QCOMPARE(r.session.chart.currentPage(), 2);
        QCOMPARE(r.session.chart.pageCaption, QStringLiteral("2"));
    }
}

void TestRecording::pointsPerPage()
{
    ModuleState state;
    TrendChart chart(state);
    for (int i = 1; i < 500; ++i)
        chart.append(TrendChart::Area, i);
    chart.setCurrentPage(5);
    QString refusal;
    QVERIFY(!chart.setPointsPerPage(-1, &refusal));
    QCOMPARE(refusal, QStringLiteral("MaxPointsPerPage must be >= 0"));
    QCOMPARE(chart.pointsPerPage(), 100);
    QVERIFY(chart.setPointsPerPage(250)); // 2 pages now: the current page follows
    QCOMPARE(chart.currentPage(), 2);
    QCOMPARE(chart.pageCaption, QStringLiteral("1")); // until a page command

    // The partly filled last page keeps a full page's spacing.
    const TrendChart::PageRange range = chart.pageRange();
    QCOMPARE(range.first, 250);
    QCOMPARE(range.count, 250);
    chart.setPointsPerPage(300);
    const TrendChart::PageRange partial = chart.pageRange();
    QCOMPARE(partial.first, 300);
    QCOMPARE(partial.count, 200);
    QCOMPARE(partial.axisMinimum, 300.0);
    QCOMPARE(partial.axisMaximum, 300.0 + 199.0 * 300 / 200);
}

void TestRecording::decimationKeepsPeaks()
{
    ModuleState state;
    TrendChart chart(state);
    chart.setPointsPerPage(0);
    for (int i = 1; i < 100000; ++i)
        chart.append(TrendChart::Area, i == 54321 ? 1e6 : 5.0);
    const std::vector<QPointF> points = chart.pagePoints(300);
    QVERIFY(points.size() <= 600);
    QVERIFY(std::any_of(points.begin(), points.end(), [](const QPointF &p) { return p.y() == 1e6; }));
    QVERIFY(
        std::is_sorted(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));
}

// The table's and chart's storage, with blocks of four: appends, a removal
// that moves values across blocks, cutting back, emptying.
void TestRecording::blockListKeepsOrderAcrossBlocks()
{
    BlockList<int, 4> list;
    const auto contents = [&] {
        QList<int> all;
        for (size_t i = 0; i < list.size(); ++i)
            all << list[i];
        return all;
    };
    for (int i = 0; i < 10; ++i)
        list.push_back(i);
    QCOMPARE(contents(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    list.erase(2);
    list.erase(3); // the value after it comes from the next block
    QCOMPARE(contents(), (QList<int>{0, 1, 3, 5, 6, 7, 8, 9}));
    list.erase(list.size() - 1);
    QCOMPARE(list.back(), 8);
    list.resize(5);
    list.resize(9); // never grows
    QCOMPARE(contents(), (QList<int>{0, 1, 3, 5, 6}));
    list.push_back(42);
    QCOMPARE(contents(), (QList<int>{0, 1, 3, 5, 6, 42}));
    list.clear();
    QVERIFY(list.empty());
    list.push_back(7);
    QCOMPARE(contents(), QList<int>{7});
}

void TestRecording::bottomAxisTicks_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<QList<double>>("ticks");
    QTest::newRow("first screen: 0 to 1") << 0.0 << 1.0 << 6 << QList<double>{0, 1};
    QTest::newRow("page 1: 0 to 98") << 0.0 << 98.0 << 6 << QList<double>{0, 20, 40, 60, 80};
    QTest::newRow("one point: 234 to 235") << 234.0 << 235.0 << 6 << QList<double>{234, 235};
    QTest::newRow("page 3 of 100") << 200.0 << 299.0 << 6 << QList<double>{200, 220, 240, 260, 280};
    QTest::newRow("a few points") << 10.0 << 14.0 << 6 << QList<double>{10, 11, 12, 13, 14};
    QTest::newRow("seven points") << 0.0 << 7.0 << 6 << QList<double>{0, 2, 4, 6};
    QTest::newRow("enlarged, a million") << 0.0 << 999999.0 << 12
                                         << QList<double>{0,      100000, 200000, 300000, 400000,
                                                          500000, 600000, 700000, 800000, 900000};
    QTest::newRow("odd start") << 37.0 << 136.0 << 6 << QList<double>{40, 60, 80, 100, 120};
}

// Round steps that label distinct whole point numbers, within the most
// ticks the axis has room for.
void TestRecording::bottomAxisTicks()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(int, maxTicks);
    QFETCH(QList<double>, ticks);
    const AxisTicks axis = WholeNumberTicks(minimum, maximum, maxTicks);
    QList<double> got;
    for (double tick = axis.anchor; tick <= maximum + 1e-9; tick += axis.interval)
        got << tick;
    QCOMPARE(got, ticks);
}

QTEST_APPLESS_MAIN(TestRecording)
#include "tst_recording.moc"

#include "InputReportStreams.h"
#include "core/common/ModuleState.h"
#include "core/link/InputReportText.h"

#include <QRandomGenerator>
#include <QTest>

using namespace InputReportStreams;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(char(v));
    return result;
}

// The 27 meter bytes of the frame showing "12345" with a point after "12".
QByteArray frameBytes()
{
    return EncodeMeterFrame(image("12345", 2));
}
const QByteArray kExpectedDisplay = "543212GGGGG50001DA";

// Cuts meter bytes into data-carrying reports of the given sizes, then closes
// the frame with a report whose count digit is 0.
QList<QByteArray> cut(const QByteArray &meter, const QList<int> &sizes)
{
    QList<QByteArray> reports;
    qsizetype at = 0;
    for (int n : sizes) {
        reports.append(char(0xF0 | n) + meter.mid(at, n));
        at += n;
    }
    reports.append(bytes({0xF0, 0, 0, 0, 0, 0, 0, 0}));
    return reports;
}

struct Fixture
{
    ModuleState state;
    ConnectionIndicator indicator;
    InputReportReader reader{state, indicator};
};

} // namespace

class TestInputReportReader : public QObject
{
    Q_OBJECT

private slots:
    void reportText_data();
    void reportText();
    void frameIsShownWhenItCloses();
    void streams_data();
    void streams();
    void reportCountFollowsReports_data();
    void reportCountFollowsReports();
    void indicatorFollowsReportsAndFrames();
    void arbitraryReportsNeverShowAnything();
    void probeLogsButNeverDecodes();
    void endlessDataStaysOneFrame();
};

void TestInputReportReader::reportText_data()
{
    QTest::addColumn<int>("reportId");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("no data") << 0 << QByteArray() << QByteArray("R 00  ");
    QTest::newRow("eight bytes") << 0 << bytes({0xF7, 0x30, 0x37, 0x3B, 0x36, 0x30, 0x35, 0x3E})
                                 << QByteArray("R 00  F7 30 37 3B 36 30 35 3E ");
    QTest::newRow("upper-case id") << 0xAB << bytes({0x0a}) << QByteArray("R AB  0A ");
}

void TestInputReportReader::reportText()
{
    QFETCH(int, reportId);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, text);
    QCOMPARE(
        InputReportText(quint8(reportId), reinterpret_cast<const quint8 *>(data.constData()), quint16(data.size())),
        text);
}

void TestInputReportReader::frameIsShownWhenItCloses()
{
    Fixture f;
    const QList<QByteArray> reports = cut(frameBytes(), {7, 7, 7, 6});
    for (int i = 0; i < 4; ++i)
        QVERIFY(feed(f.reader, {reports[i]}).isEmpty());
    QCOMPARE(feed(f.reader, {reports[4]}), QList<QByteArray>{kExpectedDisplay});
    QVERIFY(!f.reader.FrameCollecting);
    QVERIFY(f.reader.FrameHex.isEmpty());
    QCOMPARE(f.reader.FrameNibbles.size(), 27);
}

void TestInputReportReader::streams_data()
{
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<int>("reportId");
    QTest::addColumn<int>("shown");

    const QByteArray frame = frameBytes();
    QByteArray highNibbles = frame;
    for (char &c : highNibbles)
        c = char((c & 0x0F) | 0xA0);

    QTest::newRow("7+7+7+6 bytes") << cut(frame, {7, 7, 7, 6}) << 0 << 1;
    QTest::newRow("9-byte counts") << cut(frame, {9, 9, 9}) << 0 << 1;
    QTest::newRow("report id 5") << cut(frame, {7, 7, 7, 6}) << 5 << 1;
    QTest::newRow("report id FF") << cut(frame, {7, 7, 7, 6}) << 0xFF << 1;
    QTest::newRow("arbitrary high nibbles") << cut(highNibbles, {7, 7, 7, 6}) << 0 << 1;
    QTest::newRow("26 bytes dropped") << cut(frame.left(26), {7, 7, 7, 5}) << 0 << 0;
    QTest::newRow("28 bytes: first 27 used") << cut(frame + "\x33", {7, 7, 7, 7}) << 0 << 1;
    QTest::newRow("two frames without a gap") << cut(frame + frame, {9, 9, 9, 9, 9, 9}) << 0 << 1;
    QTest::newRow("frame caught in the middle") << cut(frame.mid(8), {7, 7, 5}) << 0 << 0;
    QTest::newRow("missing DA") << cut(frame.left(25) + "\x0A\x0D", {7, 7, 7, 6}) << 0 << 0;
    QTest::newRow("CR LF with high nibbles") << cut(frame.left(25) + "\x3D\x3A", {7, 7, 7, 6}) << 0 << 1;

    // A count larger than the bytes present takes the bytes present.
    QList<QByteArray> shortReports;
    for (qsizetype at = 0; at < frame.size(); at += 3)
        shortReports.append(char(0xF9) + frame.mid(at, 3));
    shortReports.append(QByteArray());
    QTest::newRow("count beyond the report") << shortReports << 0 << 1;

    // Every non-data count digit closes the frame: 0 and A..F, and an empty report.
    for (int digit : {0x0, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF}) {
        QList<QByteArray> reports = cut(frame, {7, 7, 7, 6});
        reports.last() = bytes({0x50 | digit});
        QTest::addRow("closed by count digit %X", digit) << reports << 0 << 1;
    }
    QList<QByteArray> emptyClose = cut(frame, {7, 7, 7, 6});
    emptyClose.last() = QByteArray();
    QTest::newRow("closed by an empty report") << emptyClose << 0 << 1;

    QTest::newRow("non-data reports only")
        << QList<QByteArray>{QByteArray(), bytes({0xF0}), bytes({0x0C, 1, 2})} << 0 << 0;
    QTest::newRow("never closed") << cut(frame, {7, 7, 7, 6}).mid(0, 4) << 0 << 0;
}

void TestInputReportReader::streams()
{
    QFETCH(QList<QByteArray>, reports);
    QFETCH(int, reportId);
    QFETCH(int, shown);
    Fixture f;
    const QList<QByteArray> texts = feed(f.reader, reports, quint8(reportId));
    QCOMPARE(texts.size(), shown);
    for (const QByteArray &text : texts)
        QCOMPARE(text, kExpectedDisplay);
}

void TestInputReportReader::reportCountFollowsReports_data()
{
    QTest::addColumn<QList<QByteArray>>("reports");
    QTest::addColumn<int>("reportCount");
    QTest::newRow("empty report counts nothing") << QList<QByteArray>{QByteArray(), QByteArray()} << 0;
    QTest::newRow("non-data reports count") << QList<QByteArray>{bytes({0xF0}), bytes({0x0E, 1}), bytes({0xFA})} << 3;
    QTest::newRow("data-carrying report resets")
        << QList<QByteArray>{bytes({0xF0}), bytes({0xF0}), bytes({0xF1, 0x33})} << 0;
    QTest::newRow("counts again after data")
        << QList<QByteArray>{bytes({0xF1, 0x33}), bytes({0xF0}), QByteArray(), bytes({0xF0})} << 2;
}

void TestInputReportReader::reportCountFollowsReports()
{
    QFETCH(QList<QByteArray>, reports);
    QFETCH(int, reportCount);
    Fixture f;
    f.state.WatchdogTicks = 17;
    feed(f.reader, reports);
    QCOMPARE(f.state.ReportCount, reportCount);
}

void TestInputReportReader::indicatorFollowsReportsAndFrames()
{
    Fixture f;
    f.state.WatchdogTicks = 30;
    QVERIFY(f.indicator.CONokNVisible());
    f.indicator.showCONok(); // as a shown frame does
    feed(f.reader, {bytes({0xF1, 0x30})});
    QVERIFY(f.indicator.CONokNVisible());
    QVERIFY(!f.indicator.CONokVisible());
    QCOMPARE(f.state.WatchdogTicks, 0);
    QVERIFY(f.reader.FrameCollecting);
}

void TestInputReportReader::arbitraryReportsNeverShowAnything()
{
    // Random reports of 0 to 64 bytes: the odds of a well-formed frame are nil,
    // and nothing may crash or be shown.
    Fixture f;
    QRandomGenerator random(840);
    for (int i = 0; i < 20000; ++i) {
        QByteArray report(random.bounded(65), '\0');
        for (char &c : report)
            c = char(random.bounded(256));
        if (!report.isEmpty() && random.bounded(4) == 0)
            report[0] = char(report[0] & 0xF0); // close frames often
        feed(f.reader, {report}, quint8(random.bounded(256)));
        QVERIFY(f.reader.FrameNibbles.size() <= 27);
        QVERIFY(f.reader.FrameHex.size() <= 2 * 27);
    }
}

// Data that never closes its frame: the collector holds one frame's bytes, no
// more, and the frame still shows once it is closed.
void TestInputReportReader::endlessDataStaysOneFrame()
{
    Fixture f;
    const QList<QByteArray> reports = cut(frameBytes(), {9, 9, 9});
    feed(f.reader, reports.mid(0, 3));
    for (int i = 0; i < 100000; ++i)
        feed(f.reader, {bytes({0xF9, 1, 2, 3, 4, 5, 6, 7, 8, 9})});
    QCOMPARE(f.reader.FrameHex.size(), 2 * 27);
    QCOMPARE(feed(f.reader, {reports.last()}), QList<QByteArray>{kExpectedDisplay});
}

void TestInputReportReader::probeLogsButNeverDecodes()
{
    Fixture f;
    f.state.WatchdogTicks = 12;
    QList<QByteArray> logged;
    for (const QByteArray &report : cut(frameBytes(), {7, 7, 7, 6})) {
        const auto *data = reinterpret_cast<const quint8 *>(report.constData());
        if (auto line = f.reader.ReadProbe(1, data, quint16(report.size())))
            logged.append(*line);
    }
    QCOMPARE(logged.size(), 4);
    QVERIFY(logged[0].startsWith("R 01  F7 "));
    QCOMPARE(logged[3].size(), 6 + 3 * 7);
    QCOMPARE(f.state.WatchdogTicks, 12);
    QVERIFY(f.indicator.CONokNVisible());
    QCOMPARE(f.reader.FrameNibbles.size(), 14);
    QVERIFY(!f.reader.FrameCollecting);
}

QTEST_APPLESS_MAIN(TestInputReportReader)
#include "tst_inputreportreader.moc"

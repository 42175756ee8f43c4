#include "core/hid/ReportDescriptor.h"

#include <QTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A vendor-defined interface like the cable's: 8-byte input and output
// reports and a 9-byte feature report, without report IDs.
const QByteArray kCable = bytes({0x06, 0x00, 0xFF,                         // usage page 0xFF00
                                 0x09, 0x01,                               // usage 1
                                 0xA1, 0x01,                               // collection (application)
                                 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, // logical 0..255, size 8
                                 0x95, 0x08, 0x09, 0x01, 0x81, 0x02,       // count 8, input
                                 0x95, 0x08, 0x09, 0x01, 0x91, 0x02,       // count 8, output
                                 0x95, 0x09, 0x09, 0x01, 0xB1, 0x02,       // count 9, feature
                                 0xC0});

} // namespace

class TestReportDescriptor : public QObject
{
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
};

void TestReportDescriptor::parses_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("feature");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<int>("usagePage");

    QTest::newRow("the cable") << kCable << 9 << 9 << 10 << false << 0xFF00;
    // Report 1: 3 bytes of input; report 2: 7 bytes of input.
    QTest::newRow("numbered reports: longest wins")
        << bytes({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95,
                  0x03, 0x81, 0x02, 0x85, 0x02, 0x95, 0x07, 0x81, 0x02, 0xC0})
        << 8 << 0 << 0 << true << 0x0001;
    QTest::newRow("bits round up") << bytes({0x75, 0x01, 0x95, 0x03, 0x81, 0x02}) << 2 << 0 << 0 << false << 0;
    QTest::newRow("push and pop") << bytes({0x75, 0x08, 0x95, 0x02, 0xA4, 0x95, 0x10, 0xB4, 0x81, 0x02}) << 3 << 0 << 0
                                  << false << 0;
    QTest::newRow("long item skipped") << bytes({0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}) << 2
                                       << 0 << 0 << false << 0;
    QTest::newRow("empty") << QByteArray() << 0 << 0 << 0 << false << 0;
    QTest::newRow("truncated item") << bytes({0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x27, 0xFF}) << 5 << 0 << 0 << false
                                    << 0;
    QTest::newRow("huge counts are capped")
        << bytes({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02}) << 0xFFFF << 0
        << 0 << false << 0;
    QTest::newRow("pop without push") << bytes({0xB4, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}) << 2 << 0 << 0 << false << 0;
}

void TestReportDescriptor::parses()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(int, input);
    QFETCH(int, output);
    QFETCH(int, feature);
    QFETCH(bool, numbered);
    QFETCH(int, usagePage);
    const ReportDescriptorInfo info = ParseReportDescriptor(descriptor);
    QCOMPARE(int(info.caps.InputReportByteLength), input);
    QCOMPARE(int(info.caps.OutputReportByteLength), output);
    QCOMPARE(int(info.caps.FeatureReportByteLength), feature);
    QCOMPARE(info.numberedReports, numbered);
    QCOMPARE(int(info.caps.UsagePage), usagePage);
}

QTEST_APPLESS_MAIN(TestReportDescriptor)
#include "tst_reportdescriptor.moc"

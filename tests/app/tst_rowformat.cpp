#include "RowFormat.h"
#include "core/common/ReadingNumber.h"

#include <QTest>

class TestRowFormat : public QObject
{
    Q_OBJECT

private slots:
    void readingNumbers_data();
    void readingNumbers();
    void linesOfEachFormat();
};

void TestRowFormat::readingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QVariant>("number"); // invalid: null
    QTest::newRow("point") << "1200.0"
                           << "." << QVariant(1200.0);
    QTest::newRow("comma") << "12,345"
                           << "," << QVariant(12.345);
    QTest::newRow("leading zeros") << "00521"
                                   << "." << QVariant(521.0);
    QTest::newRow("negative") << "-0.5"
                              << "." << QVariant(-0.5);
    QTest::newRow("no separator given") << "3.5"
                                        << "" << QVariant(3.5);
    QTest::newRow("overload") << "0L"
                              << "." << QVariant();
    QTest::newRow("underload") << "L0"
                               << "." << QVariant();
    QTest::newRow("empty") << ""
                           << "." << QVariant();
    QTest::newRow("comma, point separator") << "12,5"
                                            << "." << QVariant();
    QTest::newRow("infinite") << "1e999"
                              << "." << QVariant();
    QTest::newRow("not a number") << "nan"
                                  << "." << QVariant();
}

void TestRowFormat::readingNumbers()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QVariant, number);
    const std::optional<double> read = ReadingNumber(text, separator);
    QCOMPARE(read.has_value(), number.isValid());
    if (read)
        QCOMPARE(*read, number.toDouble());
}

void TestRowFormat::linesOfEachFormat()
{
    const ReadingTable::Row row{7, QStringLiteral("09:00:01"), QStringLiteral("12,5"), std::nullopt};
    const QDateTime at(QDate(2026, 12, 10), QTime(9, 0, 1, 250), Qt::OffsetFromUTC, 3600);
    QCOMPARE(RowLine(RowFormat::Tsv, row, at, QStringLiteral(",")), QByteArray("7\t09:00:01\t12,5\tNULL"));
    QCOMPARE(RowLine(RowFormat::Csv, row, at, QStringLiteral(",")), QByteArray("7,09:00:01,\"12,5\","));
    QCOMPARE(RowLine(RowFormat::Jsonl, row, at, QStringLiteral(",")),
             QByteArray(R"({"No":7,"Time":"09:00:01","Unit":null,"Value":"12,5","number":12.5,)"
                        R"("timestamp":"2026-12-10T09:00:01.250+01:00"})"));
    const QDateTime utc(QDate(2026, 12, 10), QTime(9, 0, 1), Qt::UTC);
    QVERIFY(RowLine(RowFormat::Jsonl, {std::nullopt, {}, QStringLiteral("0L"), {}}, utc, QStringLiteral("."))
                .contains(R"("No":null,"Time":null,"Unit":null,"Value":"0L","number":null,)"
                          R"("timestamp":"2026-12-10T09:00:01.000+00:00")"));
    QCOMPARE(RowHeader(RowFormat::Csv), std::optional<QByteArray>("No,Time,Value,Unit"));
    QVERIFY(!RowHeader(RowFormat::Tsv) && !RowHeader(RowFormat::Jsonl));
    QCOMPARE(RowFormatOf(QStringLiteral("jsonl")), std::optional(RowFormat::Jsonl));
    QVERIFY(!RowFormatOf(QStringLiteral("JSON")));
}

QTEST_APPLESS_MAIN(TestRowFormat)
#include "tst_rowformat.moc"

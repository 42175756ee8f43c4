#include "core/display/DialGeometry.h"

#include <QTest>

// The dial panel as declared: 369 x 157.
class TestDialGeometry : public QObject
{
    Q_OBJECT

private slots:
    void derivedQuantities();
    void scaleDotsAndNumbers();
    void arcEnds();
    void needle_data();
    void needle();
};

void TestDialGeometry::derivedQuantities()
{
    const DialGeometry dial(369, 157);
    QCOMPARE(dial.chord(), 329.0f);
    QCOMPARE(dial.height(), 97.0f);
    QVERIFY(qAbs(dial.radius() - 187.98582f) < 1e-4f);
    QVERIFY(qAbs(dial.sweepDegrees() - 122.10917f) < 1e-4f);
    QVERIFY(qAbs(dial.startDegrees() - 28.94542f) < 1e-4f);
}

void TestDialGeometry::scaleDotsAndNumbers()
{
    const DialGeometry dial(369, 157);
    const QList<QPoint> dots{{15, 124}, {38, 90},  {69, 62},  {104, 41}, {143, 28}, {185, 24},
                             {226, 28}, {265, 41}, {300, 62}, {331, 90}, {354, 124}};
    QCOMPARE(dial.scaleDots(), dots);

    const QList<QPoint> numberCorners{{6, 111},  {21, 76},  {52, 48},  {89, 26},  {136, 13}, {182, 9},
                                      {220, 12}, {262, 25}, {298, 49}, {328, 73}, {348, 107}};
    const QList<DialGeometry::ScaleNumber> numbers = dial.scaleNumbers();
    QCOMPARE(numbers.size(), 11);
    for (int n = 0; n < 11; ++n) {
        QCOMPARE(numbers[n].text, QString::number(10 * n));
        QCOMPARE(numbers[n].topLeft, numberCorners[n]);
    }
}

void TestDialGeometry::arcEnds()
{
    const QList<QPoint> arc = DialGeometry(369, 157).arcPoints(120);
    QCOMPARE(arc.size(), 1201);
    QCOMPARE(arc.first(), QPoint(17, 126));
    QCOMPARE(arc.last(), QPoint(352, 126));
}

void TestDialGeometry::needle_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("tip");
    QTest::addColumn<QPoint>("base");
    QTest::newRow("0") << 0 << QPoint(20, 131) << QPoint(526, 407);
    QTest::newRow("500") << 500 << QPoint(185, 34) << QPoint(184, 407);
    QTest::newRow("1000") << 1000 << QPoint(349, 131) << QPoint(-157, 407);
    QTest::newRow("1200 (overload)") << 1200 << QPoint(372, 207) << QPoint(-2205, 407);
}

void TestDialGeometry::needle()
{
    QFETCH(int, value);
    QFETCH(QPoint, tip);
    QFETCH(QPoint, base);
    const DialGeometry::Needle needle = DialGeometry(369, 157).needle(value);
    QCOMPARE(needle.tip, tip);
    QCOMPARE(needle.base, base);
}

QTEST_APPLESS_MAIN(TestDialGeometry)
#include "tst_dialgeometry.moc"

#include "core/display/SegmentDecoder.h"
#include "core/link/MeterFrame.h"
#include "platform/sim/MeterScenario.h"

#include <QTest>

namespace {

// The display text the decoder makes of a scenario frame.
QByteArray displayOf(const LcdImage &image)
{
    const QByteArray frame = EncodeMeterFrame(image);
    QByteArray text;
    for (qsizetype i = 1; i < frame.size(); ++i)
        text += QByteArray::number(frame[i] & 0x0F, 16).toUpper();
    return DecodeSegmentFrame(text);
}

qint64 frameAt(double seconds)
{
    return qint64(seconds / MeterScenario::FrameSeconds);
}

} // namespace

class TestMeterScenario : public QObject
{
    Q_OBJECT

private slots:
    void autoRange_data();
    void autoRange();
    void stretches_data();
    void stretches();
    void silenceOutlastsTheWatchdogsAlarm();
};

void TestMeterScenario::autoRange_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pointAfter");
    QTest::newRow("0.5") << 0.5 << QByteArray("05000") << 1;
    QTest::newRow("12.34") << 12.34 << QByteArray("12340") << 2;
    QTest::newRow("999.99") << 999.99 << QByteArray("99999") << 3;
    QTest::newRow("9.99996 rounds up a range") << 9.99996 << QByteArray("10000") << 2;
    QTest::newRow("12345") << 12345.0 << QByteArray("12345") << 0;
    QTest::newRow("too big") << 123456.0 << QByteArray("99999") << 0;
}

void TestMeterScenario::autoRange()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QFETCH(int, pointAfter);
    const MeterScenario::Digits digits = MeterScenario::autoRange(value);
    QCOMPARE(digits.text, text);
    QCOMPARE(digits.pointAfter, pointAfter);
}

// Each stretch of the run shows what it should, as the decoder reads it.
void TestMeterScenario::stretches_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QByteArray>("flags"); // display text positions 13..16
    QTest::addColumn<bool>("overload");
    QTest::newRow("climbing RPM") << 10.0 << QByteArray("1801") << false;
    QTest::newRow("MAX") << 31.0 << QByteArray("1811") << false;
    QTest::newRow("HOLD") << 50.0 << QByteArray("1C01") << false;
    QTest::newRow("low battery") << 58.0 << QByteArray("1A01") << false;
    QTest::newRow("overload") << 65.0 << QByteArray("1801") << true;
    QTest::newRow("COUNT") << 80.0 << QByteArray("1802") << false;
}

void TestMeterScenario::stretches()
{
    QFETCH(double, seconds);
    QFETCH(QByteArray, flags);
    QFETCH(bool, overload);
    const std::optional<LcdImage> image = MeterScenario().frame(frameAt(seconds));
    QVERIFY(image);
    const QByteArray text = displayOf(*image);
    QCOMPARE(text.mid(12, 4), flags);
    QCOMPARE(text.left(5).contains('L'), overload);
    QVERIFY(text.endsWith("DA"));
}

void TestMeterScenario::silenceOutlastsTheWatchdogsAlarm()
{
    const MeterScenario scenario;
    qint64 longest = 0;
    qint64 run = 0;
    for (qint64 i = 0; i < frameAt(MeterScenario::PeriodSeconds); ++i) {
        run = scenario.frame(i) ? 0 : run + 1;
        longest = qMax(longest, run);
    }
    // The digits blink from the 31st silent second; leave ten seconds of it.
    QVERIFY(double(longest) * MeterScenario::FrameSeconds > 40);
    QVERIFY(scenario.frame(frameAt(MeterScenario::PeriodSeconds) + 1)); // and the run starts again
}

QTEST_APPLESS_MAIN(TestMeterScenario)
#include "tst_meterscenario.moc"

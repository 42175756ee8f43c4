#include "core/app/MeterSession.h"
#include "core/display/SegmentDecoder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The main display left to right, each digit followed by "." when the point
// after it is lit; blank for a hidden digit or an empty caption.
QString mainDisplay(const LcdState &lcd)
{
    const std::array<const LcdControl *, 5> digits{&lcd.LabelA, &lcd.LabelB, &lcd.LabelC, &lcd.LabelD, &lcd.LabelE};
    const std::array<const LcdControl *, 4> points{&lcd.Point1, &lcd.Point2, &lcd.Point3, &lcd.Point4};
    QString out;
    for (int i = 0; i < 5; ++i) {
        out += digits[i]->visible && !digits[i]->caption.isEmpty() ? digits[i]->caption : QStringLiteral(" ");
        if (i < 4 && points[i]->visible)
            out += u'.';
    }
    return out;
}

// The small display left to right with its points and the colon.
QString smallDisplay(const LcdState &lcd)
{
    auto digit = [](const LcdControl &c) {
        return c.visible && !c.caption.isEmpty() ? c.caption : QStringLiteral(" ");
    };
    QString out = digit(lcd.H_Time2);
    out += lcd.T_Point1.visible ? "." : "";
    out += digit(lcd.M_Time1);
    out += lcd.T_Point2.visible ? "." : "";
    out += digit(lcd.M_Time2);
    out += lcd.T_Point3.visible ? "." : "";
    out += lcd.T_dPoint2.visible ? ":" : "";
    out += digit(lcd.S_Time1);
    out += lcd.T_Point5.visible ? "." : "";
    out += digit(lcd.S_Time2);
    return out;
}

QString annunciators(const LcdState &lcd)
{
    const std::array<std::pair<const LcdControl *, const char *>, 10> all{{
        {&lcd.power, "BAT"},
        {&lcd.LabelOFF, "OFF"},
        {&lcd.Label1, "PWR"},
        {&lcd.NLabelHOLD, "HOLD"},
        {&lcd.Nlabelmax, "MAX"},
        {&lcd.NLabelmin, "MIN"},
        {&lcd.NLabelavg, "AVE"},
        {&lcd.rsUSB, "USB"},
        {&lcd.labrpm, "RPM"},
        {&lcd.labcount, "COUNT"},
    }};
    QStringList lit;
    for (const auto &[control, name] : all) {
        if (control->visible)
            lit << QString::fromLatin1(name);
    }
    return lit.join(u' ');
}

// A display text from the main digits as seen left to right, the point
// position, the small digits left to right, its point position and the flags.
QByteArray displayText(QByteArray mainLeftToRight, char point, QByteArray smallLeftToRight = "00000",
                       char smallPoint = '5', const QByteArray &flags = "0001")
{
    std::reverse(mainLeftToRight.begin(), mainLeftToRight.end());
    std::reverse(smallLeftToRight.begin(), smallLeftToRight.end());
    return mainLeftToRight + point + smallLeftToRight + smallPoint + flags + "DA";
}

} // namespace

class TestMeterDisplay : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheSelfTest();
    void showsDisplayTexts_data();
    void showsDisplayTexts();
    void mainOverloadKeepsTheSmallDigits();
    void unitFlags();
    void currentReading_data();
    void currentReading();
    void pointPositionFiveRemovesTheSeparator();
    void unitChangeClearsTheChartOnce();
    void flashing();
    void textsWithoutTheEndingAreNotShown_data();
    void textsWithoutTheEndingAreNotShown();
    void everyDecodableTextShowsExactlyItsFlags();
};

void TestMeterDisplay::startsWithTheSelfTest()
{
    MeterSession s;
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("8.8.8.8.8"));
    QCOMPARE(smallDisplay(s.display.lcd), QStringLiteral("888:88"));
    QCOMPARE(annunciators(s.display.lcd), QStringLiteral("BAT HOLD MAX MIN AVE USB RPM COUNT"));
    QVERIFY(s.indicator.CONokNVisible());
    QCOMPARE(s.display.range.Labrate, QStringLiteral("x 0.1"));
    QCOMPARE(s.display.range.PBar2Maximum, 60);
    QCOMPARE(s.display.range.PBar2Position, 20);
}

void TestMeterDisplay::showsDisplayTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("small");
    QTest::addColumn<QString>("lit");

    QTest::newRow("digits one to five, point 2") << QByteArray("123452000005"
                                                               "0001DA")
                                                 << "54.321"
                                                 << " 0000"
                                                 << "USB RPM";
    QTest::newRow("blank leading digit shows 0") << displayText("G4321", '5') << "04321"
                                                 << " 0000"
                                                 << "USB RPM";
    QTest::newRow("small overload keeps its point") << displayText("12345", '5', "0L000", '1') << "12345"
                                                    << " 0@ . "
                                                    << "USB RPM";
    QTest::newRow("small point 4 after H_Time2") << displayText("00000", '5', "12345", '4', "0011") << "00000"
                                                 << "1.2345"
                                                 << "MAX USB RPM";
    QTest::newRow("small point 1 and colon") << displayText("00000", '5', "12345", '1', "0801") << "00000"
                                             << " 23:4.5"
                                             << "USB RPM";
    QTest::newRow("flags 1 4 7 3") << displayText("00000", '5', "98765", '5', "1473") << "00000"
                                   << "98765"
                                   << "PWR HOLD MAX MIN AVE USB RPM COUNT";
    QTest::newRow("battery and OFF") << displayText("00000", '5', "00000", '5', "0300") << "00000"
                                     << " 0000"
                                     << "BAT OFF USB";
}

void TestMeterDisplay::showsDisplayTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, main);
    QFETCH(QString, small);
    QFETCH(QString, lit);
    MeterSession s;
    QVERIFY(s.ShowData618(text));
    QCOMPARE(mainDisplay(s.display.lcd), main);
    QCOMPARE(smallDisplay(s.display.lcd), small);
    QCOMPARE(annunciators(s.display.lcd), lit);
    QVERIFY(s.indicator.CONokVisible());
}

void TestMeterDisplay::mainOverloadKeepsTheSmallDigits()
{
    MeterSession s;
    s.ShowData618(displayText("00000", '5', "12345", '2', "0011"));
    QCOMPARE(smallDisplay(s.display.lcd), QStringLiteral("123.45"));
    for (const QByteArray &main : {QByteArray("L0000"), QByteArray("000L0"), QByteArray("0000L")}) {
        s.ShowData618(displayText(main, '5', "99999", '1', "0001"));
        QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral(" 0@  "));
        QCOMPARE(smallDisplay(s.display.lcd), QStringLiteral(" 2345")); // H_Time2 off, no point
    }
}

void TestMeterDisplay::unitFlags()
{
    MeterSession s;
    s.ShowData618(displayText("00000", '5', "00000", '5', "0001"));
    QCOMPARE(s.state.ReadingUnit, QStringLiteral("RPM"));
    s.ShowData618(displayText("00000", '5', "00000", '5', "0000"));
    QCOMPARE(s.state.ReadingUnit, QStringLiteral("RPM"));
    QCOMPARE(annunciators(s.display.lcd), QStringLiteral("USB"));
    s.ShowData618(displayText("00000", '5', "00000", '5', "0003"));
    QCOMPARE(s.state.ReadingUnit, QStringLiteral("PCS"));
}

void TestMeterDisplay::currentReading_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("decimalPosition");
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<int>("barMaximum");
    QTest::addColumn<int>("barPosition");
    QTest::addColumn<int>("needle");
    QTest::addColumn<int>("axisMaximum");

    // The system separator here is a comma.
    QTest::newRow("01234, point 3") << displayText("01234", '3') << "012,34" << 3 << "X 1" << 100 << 12 << 123 << 10000;
    QTest::newRow("all zero") << displayText("00000", '5') << "00000" << 5 << "X 0.1" << 10 << 1 << 0 << 10000;
    QTest::newRow("10") << displayText("00010", '5') << "00010" << 5 << "X 0.1" << 10 << 10 << 1000 << 10000;
    QTest::newRow("11") << displayText("00011", '5') << "00011" << 5 << "X 1" << 100 << 11 << 110 << 10000;
    QTest::newRow("10000") << displayText("10000", '5') << "10000" << 5 << "X 100" << 10000 << 10000 << 1000 << 10000;
    QTest::newRow("10001") << displayText("10001", '5') << "10001" << 5 << "X 1000" << 100000 << 10001 << 100 << 100000;
    QTest::newRow("5") << displayText("00005", '5') << "00005" << 5 << "X 0.1" << 10 << 5 << 500 << 10000;
    QTest::newRow("50") << displayText("00050", '5') << "00050" << 5 << "X 1" << 100 << 50 << 500 << 10000;
    QTest::newRow("500") << displayText("00500", '5') << "00500" << 5 << "X 10" << 1000 << 500 << 500 << 10000;
    QTest::newRow("5000") << displayText("05000", '5') << "05000" << 5 << "X 100" << 10000 << 5000 << 500 << 10000;
    QTest::newRow("50000") << displayText("50000", '5') << "50000" << 5 << "X 1000" << 100000 << 50000 << 500 << 100000;
    QTest::newRow("99999") << displayText("99999", '5') << "99999" << 5 << "X 1000" << 100000 << 99999 << 999 << 100000;
    QTest::newRow("zero, three decimals")
        << displayText("00000", '2') << "00,000" << 2 << "X 0.1" << 10 << 1 << 0 << 10000;
    QTest::newRow("0,29: 15 digits make 29")
        << displayText("00029", '3') << "000,29" << 3 << "X 0.1" << 10 << 1 << 29 << 10000;
    QTest::newRow("9,9999") << displayText("99999", '1') << "9,9999" << 1 << "X 0.1" << 10 << 9 << 999 << 10000;
    QTest::newRow("overload") << displayText("00L00", '5') << "0L" << 5 << "X 1000" << 100000 << 100000 << 1200
                              << 100000;
    QTest::newRow("overload with a point")
        << displayText("L0000", '2') << "0L" << 2 << "X 1000" << 100000 << 100000 << 1200 << 100000;
    QTest::newRow("unknown point position keeps the reading")
        << displayText("12345", 'G') << "00000" << 6 << "X 0.1" << 10 << 1 << 0 << 10000;
}

void TestMeterDisplay::currentReading()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, reading);
    QFETCH(int, decimalPosition);
    QFETCH(QString, multiplier);
    QFETCH(int, barMaximum);
    QFETCH(int, barPosition);
    QFETCH(int, needle);
    QFETCH(int, axisMaximum);

    MeterSession s(QStringLiteral(","));
    const std::optional<Dial::Stroke> stroke = s.ShowData618(text);
    QVERIFY(stroke);
    QCOMPARE(s.state.ReadingText, reading);
    QCOMPARE(int(s.state.DecimalPosition), decimalPosition);
    QCOMPARE(s.display.range.Labrate, multiplier);
    QCOMPARE(s.display.range.PBar2Maximum, barMaximum);
    QCOMPARE(s.display.range.PBar2Position, barPosition);
    QCOMPARE(s.dial.needleValue(), needle);
    QCOMPARE(stroke->draw, QLine(s.dial.geometry().needle(needle).tip, s.dial.geometry().needle(needle).base));
    QCOMPARE(s.chart.leftAxisMaximum(), axisMaximum);
    QCOMPARE(s.chart.leftAxisMinimum(), 0);
}

void TestMeterDisplay::pointPositionFiveRemovesTheSeparator()
{
    MeterSession s(QStringLiteral(","));
    s.ShowData618(displayText("12345", '2'));
    QCOMPARE(s.state.ReadingText, QStringLiteral("12,345"));
    s.ShowData618(displayText("12345", '5'));
    QCOMPARE(s.state.ReadingText, QStringLiteral("12345"));
    QCOMPARE(int(s.state.DecimalPosition), 5);

    // Without a readable system separator the reading keeps its point.
    MeterSession noSeparator;
    noSeparator.ShowData618(displayText("12345", '2'));
    QCOMPARE(noSeparator.state.ReadingText, QStringLiteral("12.345"));
    QCOMPARE(noSeparator.dial.needleValue(), 123);
}

void TestMeterDisplay::unitChangeClearsTheChartOnce()
{
    MeterSession s;
    auto showWithUnit = [&](const QByteArray &unitFlag) {
        s.chart.append(TrendChart::Line, 7);
        s.chart.append(TrendChart::Area, 7);
        s.ShowData618(displayText("00100", '5', "00000", '5', "000" + unitFlag));
        return s.chart.pointCount(TrendChart::Area);
    };
    QCOMPARE(showWithUnit("1"), qsizetype(1)); // first unit after start: cleared
    QCOMPARE(showWithUnit("1"), qsizetype(2));
    QCOMPARE(showWithUnit("0"), qsizetype(3)); // no unit bit: no change
    QCOMPARE(showWithUnit("2"), qsizetype(1)); // RPM -> COUNT
    QCOMPARE(showWithUnit("2"), qsizetype(2));
    QCOMPARE(s.PreviousUnit, QStringLiteral("PCS"));
}

void TestMeterDisplay::flashing()
{
    MeterSession s;
    // Before the first frame all five digits and all four points blink.
    s.display.flashTick();
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("8.8.8.8.8"));
    s.display.flashTick();
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("     "));

    s.ShowData618(displayText("12345", '5'));
    s.display.ShowDigits(false);
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("     "));
    QVERIFY(!s.display.lcd.Point1.visible && !s.display.lcd.Point4.visible);
    s.ShowData618(displayText("12345", '3'));
    s.display.flashTick(); // the phase goes on from where it stopped: false -> true
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("123.45"));
    s.display.flashTick();
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("     "));
    QCOMPARE(smallDisplay(s.display.lcd), QStringLiteral(" 0000")); // the small display never blinks
}

void TestMeterDisplay::textsWithoutTheEndingAreNotShown_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short") << QByteArray("12345");
    QTest::newRow("no DA") << QByteArray("123455000005"
                                         "0001XX");
    QTest::newRow("A at position 1") << QByteArray("A23455000005"
                                                   "0001DA");
}

void TestMeterDisplay::textsWithoutTheEndingAreNotShown()
{
    QFETCH(QByteArray, text);
    MeterSession s;
    QVERIFY(!s.ShowData618(text));
    QCOMPARE(mainDisplay(s.display.lcd), QStringLiteral("88888")); // digits kept, points hidden
    QCOMPARE(annunciators(s.display.lcd), QStringLiteral("USB"));
    QCOMPARE(s.state.ReadingText, QStringLiteral("00000"));
    QVERIFY(s.indicator.CONokVisible());
}

void TestMeterDisplay::everyDecodableTextShowsExactlyItsFlags()
{
    // Random texts of the decoder's alphabet, with point positions outside 1..5:
    // every annunciator shows exactly its own bit, whatever came before.
    const QByteArray digits = "0123456789LG";
    const QByteArray positions = "0123456789ABCDEFGL";
    const QByteArray hex = "0123456789ABCDEF";
    QRandomGenerator random(618);
    MeterSession s;
    for (int i = 0; i < 20000; ++i) {
        QByteArray text;
        for (int p = 0; p < 5; ++p)
            text += digits[random.bounded(digits.size())];
        text += positions[random.bounded(positions.size())];
        for (int p = 0; p < 5; ++p)
            text += digits[random.bounded(digits.size())];
        text += positions[random.bounded(positions.size())];
        for (int p = 0; p < 4; ++p)
            text += hex[random.bounded(hex.size())];
        text += "DA";
        s.ShowData618(text);

        const LcdState &lcd = s.display.lcd;
        const auto flag = [&](int position) { return HexNibbleValue(text.mid(position - 1, 1)); };
        QCOMPARE(lcd.Label1.visible, bool(flag(13) & 1));
        QCOMPARE(lcd.pow3.visible, bool(flag(13) & 1));
        QCOMPARE(lcd.LabelOFF.visible, bool(flag(14) & 1));
        QCOMPARE(lcd.power.visible, bool(flag(14) & 2));
        QCOMPARE(lcd.NLabelHOLD.visible, bool(flag(14) & 4));
        QCOMPARE(s.display.holdFlag, bool(flag(14) & 4));
        QCOMPARE(lcd.T_dPoint2.visible, bool(flag(14) & 8));
        QCOMPARE(lcd.Nlabelmax.visible, bool(flag(15) & 1));
        QCOMPARE(lcd.NLabelmin.visible, bool(flag(15) & 2));
        QCOMPARE(lcd.NLabelavg.visible, bool(flag(15) & 4));
        QCOMPARE(lcd.H_Time2.visible, bool(flag(15) & 7));
        QCOMPARE(lcd.labrpm.visible, bool(flag(16) & 1));
        QCOMPARE(lcd.labcount.visible, bool(flag(16) & 2));
        QVERIFY(lcd.rsUSB.visible);
        const int mainPoints = lcd.Point1.visible + lcd.Point2.visible + lcd.Point3.visible + lcd.Point4.visible;
        QVERIFY(mainPoints <= 1);
        const int smallPoints =
            lcd.T_Point1.visible + lcd.T_Point2.visible + lcd.T_Point3.visible + lcd.T_Point5.visible;
        QVERIFY(smallPoints <= 1);
        QVERIFY(s.dial.needleValue() >= 0 && s.dial.needleValue() <= 1200);
        QVERIFY(s.display.range.PBar2Position <= 100000);
    }
}

QTEST_APPLESS_MAIN(TestMeterDisplay)
#include "tst_meterdisplay.moc"

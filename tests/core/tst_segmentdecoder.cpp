#include "core/display/SegmentDecoder.h"

#include <QTest>

namespace {

// A frame text from ten segment codes (main digits 1..5, then small digits 1..5,
// rightmost first), four flag digits and the "DA" ending.
QByteArray frameText(const QList<QByteArray> &codes, const QByteArray &flags = "0000")
{
    QByteArray text;
    for (const QByteArray &code : codes)
        text += code;
    return text + flags + "DA";
}

const QList<QByteArray> kBlankSmall{"00", "00", "00", "00", "00"};

} // namespace

class TestSegmentDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodesFrameText_data();
    void decodesFrameText();
    void everyDigitRoundTrips();
    void hexNibbleValue_data();
    void hexNibbleValue();
    void readingWholePart_data();
    void readingWholePart();
};

void TestSegmentDecoder::decodesFrameText_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("display");

    QTest::newRow("digits 0..4, no point")
        << frameText(QList<QByteArray>{"7B", "60", "5E", "7C", "65"} + kBlankSmall) << QByteArray("012345GGGGG50000DA");
    QTest::newRow("point on main digit 3")
        << frameText(QList<QByteArray>{"7B", "60", "FC", "7C", "65"} + kBlankSmall) << QByteArray("013343GGGGG50000DA");
    QTest::newRow("leftmost point wins") << frameText(QList<QByteArray>{"7B", "60", "FC", "7C", "E5"} + kBlankSmall)
                                         << QByteArray("013341GGGGG50000DA");
    QTest::newRow("point on rightmost digit is unknown")
        << frameText(QList<QByteArray>{"FB", "8B", "00", "00", "00"} + kBlankSmall) << QByteArray("GLGGG4GGGGG50000DA");
    QTest::newRow("lower case does not match")
        << frameText(QList<QByteArray>{"7b", "7B", "7B", "7B", "7B"} + kBlankSmall) << QByteArray("G00005GGGGG50000DA");
    QTest::newRow("small point after digit 2")
        << frameText(QList<QByteArray>{"7B", "7B", "7B", "7B", "7B", "7B", "BD", "00", "00", "00"})
        << QByteArray("00000505GGG10000DA");
    QTest::newRow("small point after digit 5")
        << frameText(QList<QByteArray>{"7B", "7B", "7B", "7B", "7B", "7B", "00", "00", "00", "BD"})
        << QByteArray("0000050GGG540000DA");
    QTest::newRow("small point: leftmost wins")
        << frameText(QList<QByteArray>{"7B", "7B", "7B", "7B", "7B", "60", "E0", "E0", "00", "00"})
        << QByteArray("000005111GG20000DA");
    QTest::newRow("flags pass through") << frameText(QList<QByteArray>{"7F", "7F", "7F", "7F", "7F", "7F", "7F", "7F",
                                                                       "7F", "7F"},
                                                     "1F3A")
                                        << QByteArray("888885888885"
                                                      "1F3A"
                                                      "DA");
    QTest::newRow("overload display") << frameText(QList<QByteArray>{"00", "00", "0B", "7B", "00"} + kBlankSmall)
                                      << QByteArray("GGL0G5GGGGG50000DA");
}

void TestSegmentDecoder::decodesFrameText()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, display);
    QCOMPARE(frame.size(), 26);
    QCOMPARE(DecodeSegmentFrame(frame), display);
}

void TestSegmentDecoder::everyDigitRoundTrips()
{
    // Every character of the table, with and without the point, decodes back to
    // itself on digit 2 of the main display, and the point sets position 6 to "4".
    for (char c : QByteArray("0123456789L")) {
        for (bool point : {false, true}) {
            const QByteArray code = QByteArray::number(SegmentCodeOf(c, point), 16).toUpper().rightJustified(2, '0');
            const QByteArray display =
                DecodeSegmentFrame(frameText(QList<QByteArray>{"7B", code, "7B", "7B", "7B"} + kBlankSmall));
            QCOMPARE(display[1], c);
            QCOMPARE(display[5], point ? '4' : '5');
        }
    }
    QCOMPARE(SegmentCodeOf('x', false), quint8(0x00));
}

void TestSegmentDecoder::hexNibbleValue_data()
{
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<int>("value");
    QTest::newRow("0") << QByteArray("0") << 0;
    QTest::newRow("9") << QByteArray("9") << 9;
    QTest::newRow("A") << QByteArray("A") << 10;
    QTest::newRow("F") << QByteArray("F") << 15;
    QTest::newRow("lower case is not hex") << QByteArray("a") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestSegmentDecoder::hexNibbleValue()
{
    QFETCH(QByteArray, digit);
    QFETCH(int, value);
    QCOMPARE(HexNibbleValue(digit), value);
}

void TestSegmentDecoder::readingWholePart_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("whole");
    QTest::newRow("12.7") << "12.7"
                          << "." << 12;
    QTest::newRow("0,95") << "0,95"
                          << "," << 0;
    QTest::newRow("9,99 with comma") << "9,99"
                                     << "," << 9;
    QTest::newRow("99999") << "99999"
                           << "." << 99999;
    QTest::newRow("10") << "10"
                        << "," << 10;
    QTest::newRow("leading zeros") << "0012.5"
                                   << "." << 12;
    QTest::newRow("overload text") << "0L"
                                   << "." << 0;
}

void TestSegmentDecoder::readingWholePart()
{
    QFETCH(QString, reading);
    QFETCH(QString, separator);
    QFETCH(int, whole);
    QCOMPARE(ReadingWholePart(reading, separator), whole);
}

QTEST_APPLESS_MAIN(TestSegmentDecoder)
#include "tst_segmentdecoder.moc"

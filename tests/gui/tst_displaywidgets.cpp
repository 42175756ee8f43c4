#include "InputReportStreams.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/display/DialPanel.h"
#include "gui/display/DisplayPanel.h"
#include "gui/display/LcdLayout.h"
#include "gui/display/VirtualLcd.h"
#include "gui/link/LinkPanel.h"
#include "gui/widgets/Panel.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

namespace {

// How many pixels of a box in the LCD's image carry the LCD's ink.
int inkPixels(const QImage &image, const QRect &box)
{
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            count += qGray(image.pixel(x, y)) < 80;
    return count;
}

QRect mainDigitBox(int fromLeft)
{
    return QRect(LcdLayout::inMain({LcdLayout::MainDigitLefts[fromLeft], LcdLayout::MainDigitTop}),
                 LcdLayout::MainGlyph);
}

bool isBlack(const QImage &image, QPoint p)
{
    return qGray(image.pixel(p)) < 40;
}

void feed(TFrmTest &frm, const QList<QByteArray> &reports)
{
    for (const QByteArray &report : reports)
        frm.Read618(nullptr, 0, reinterpret_cast<const quint8 *>(report.constData()), quint16(report.size()));
}

} // namespace

class TestDisplayWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init() { windows = std::make_unique<Windows>(platform); }
    void cleanup() { windows.reset(); }

    void lcdDrawsWhatItsStateSays();
    void needleIsDrawnAndErased();
    void dotsAreTheStrokedDots_data();
    void dotsAreTheStrokedDots();
    void frameReachesEveryIndicator();
    void flashingFollowsTheCore();
    void lcdRepaintsOnlyWhenItChanges();
    void portPanelStepsThroughThePorts();
    void screenPartsKeepClearOfEachOther();

private:
    TFrmTest &frm() { return *windows->FrmTest; }
    SimulatedHidPlatform platform;
    std::unique_ptr<Windows> windows;
};

void TestDisplayWidgets::lcdDrawsWhatItsStateSays()
{
    const QImage selfTest = frm().Panel9->grab().toImage();
    const int eight = inkPixels(selfTest, mainDigitBox(0));
    QVERIFY(eight > 300);
    for (int i = 1; i < 5; ++i)
        QCOMPARE(inkPixels(selfTest, mainDigitBox(i)), eight);

    // "1" lights two of the seven segments; an overload leaves blank digits.
    frm().displayPanel->ShowData618("00001"
                                    "5"
                                    "00000"
                                    "5"
                                    "0001DA");
    frm().refreshNow();
    const QImage one = frm().Panel9->grab().toImage();
    QVERIFY(inkPixels(one, mainDigitBox(0)) < eight / 2);
    QVERIFY(inkPixels(one, mainDigitBox(0)) > 0);
    frm().displayPanel->ShowData618("GGLGG"
                                    "5"
                                    "00000"
                                    "5"
                                    "0001DA");
    frm().refreshNow();
    const QImage overload = frm().Panel9->grab().toImage();
    QCOMPARE(inkPixels(overload, mainDigitBox(0)), 0);
    QVERIFY(inkPixels(overload, mainDigitBox(2)) > 0); // the "L"
}

void TestDisplayWidgets::dotsAreTheStrokedDots_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("penWidth");
    QTest::newRow("scale dots") << 1.0 << 2;
    QTest::newRow("arc") << 1.0 << 4;
    QTest::newRow("arc, high density") << 2.0 << 4;
    QTest::newRow("arc, fractional ratio") << 1.5 << 4;
}

// The dial's dots, stamped, are pixel for pixel the dots stroked one by one,
// at the canvas's edges too.
void TestDisplayWidgets::dotsAreTheStrokedDots()
{
    QFETCH(qreal, ratio);
    QFETCH(int, penWidth);
    const QList<QPoint> places{{0, 0}, {10, 7}, {11, 7}, {40, 20}, {-1, 30}, {98, 48}, {60, 49}};
    const auto blankCanvas = [&] {
        QImage canvas((QSizeF(100, 50) * ratio).toSize(), QImage::Format_RGB32);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::white);
        return canvas;
    };
    QImage stroked = blankCanvas();
    {
        QPainter painter(&stroked);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, penWidth));
        for (const QPoint &place : places)
            painter.drawEllipse(QRect(place, QSize(2, 2)));
    }
    QImage stamped = blankCanvas();
    DialCanvas::drawDots(stamped, places, penWidth);
    QCOMPARE(stamped, stroked);
}

void TestDisplayWidgets::needleIsDrawnAndErased()
{
    const DialCanvas &canvas = *frm().KD->KD1;
    // Start-up drew the needle for 0: tip at (20, 131).
    QVERIFY(isBlack(canvas.image(), {20, 131}));
    const QLine zero(QPoint(20, 131), QPoint(526, 407));
    const QPoint onZero = zero.p1() + (QPoint(5, 3)); // on the line, inside the canvas
    QVERIFY(isBlack(canvas.image(), onZero));

    frm().displayPanel->KDrun(500);
    QVERIFY(!isBlack(canvas.image(), onZero));
    QVERIFY(isBlack(canvas.image(), {185, 100}));
    frm().displayPanel->KDrun(500); // the same value twice leaves one needle
    QVERIFY(isBlack(canvas.image(), {185, 100}));
    QCOMPARE(frm().session.dial.LastNeedleTip, QPoint(185, 34));
}

void TestDisplayWidgets::frameReachesEveryIndicator()
{
    QVERIFY(frm().KD->CONokN->isVisibleTo(frm().KD));
    QVERIFY(!frm().KD->CONok->isVisibleTo(frm().KD));
    QCOMPARE(frm().PBar2->maximum(), 60);
    QCOMPARE(frm().PBar2->value(), 20);

    feed(frm(), InputReportStreams::reportsFor(InputReportStreams::image("01234", 3)));
    frm().refreshNow();
    QCOMPARE(frm().session.state.ReadingText, frm().session.SysDecimalSep.isEmpty()
                                                  ? QStringLiteral("012.34")
                                                  : QStringLiteral("012") + frm().session.SysDecimalSep + "34");
    QCOMPARE(frm().KD->Labrate->text(), QStringLiteral("X 1"));
    QCOMPARE(frm().PBar2->maximum(), 100);
    QCOMPARE(frm().PBar2->value(), 12);
    QVERIFY(frm().KD->CONok->isVisibleTo(frm().KD));
    QVERIFY(!frm().KD->CONokN->isVisibleTo(frm().KD));

    // A data-carrying report alone shows the grey indicator again.
    feed(frm(), {InputReportStreams::reportsFor(InputReportStreams::image("01234", 3)).first()});
    frm().refreshNow();
    QVERIFY(frm().KD->CONokN->isVisibleTo(frm().KD));
    feed(frm(), {QByteArray()}); // closes (and drops) that short frame

    // Overload: a full bar.
    feed(frm(), InputReportStreams::reportsFor(InputReportStreams::image("00L00", 0)));
    frm().refreshNow();
    QCOMPARE(frm().PBar2->maximum(), 100000);
    QCOMPARE(frm().PBar2->value(), 100000);
}

// Reports come many times a second; the LCD is repainted for a changed
// display only.
void TestDisplayWidgets::lcdRepaintsOnlyWhenItChanges()
{
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    frm().Panel9->installEventFilter(&counter);
    const auto paintsAfter = [&](const QByteArray &digits) {
        counter.paints = 0;
        feed(frm(), InputReportStreams::reportsFor(InputReportStreams::image(digits, 0)));
        frm().refreshNow();
        QCoreApplication::processEvents();
        return counter.paints;
    };
    QCOMPARE(paintsAfter("12345"), 1);
    QCOMPARE(paintsAfter("12345"), 0);
    QCOMPARE(paintsAfter("12346"), 1);
}

void TestDisplayWidgets::flashingFollowsTheCore()
{
    frm().session.display.FlashTimeEnabled = true; // as the watchdog does
    frm().displayPanel->FlashTimeTimer();
    QVERIFY(frm().FlashTime->isActive());
    QVERIFY(frm().session.display.lcd.LabelA.visible); // the first tick shows the digits
    frm().displayPanel->FlashTimeTimer();
    QVERIFY(!frm().session.display.lcd.LabelA.visible);

    feed(frm(), InputReportStreams::reportsFor(InputReportStreams::image("12345", 0)));
    QVERIFY(!frm().FlashTime->isActive());
    QVERIFY(frm().session.display.lcd.LabelA.visible);
}

void TestDisplayWidgets::portPanelStepsThroughThePorts()
{
    QList<int> ports;
    for (int i = 0; i < 5; ++i) {
        frm().linkPanel->Panel1Click();
        ports << frm().session.state.PortSelection;
    }
    QCOMPARE(ports, QList<int>({1, 2, 3, 4, 5}));
    QCOMPARE(frm().Panel1->caption(), QStringLiteral("USB"));

    frm().link->connected = true; // as after CONNECT
    frm().linkPanel->Panel1Click();
    frm().link->connected = false;
    QCOMPARE(frm().session.state.PortSelection, qint8(5));
}

// Faults a look at the screens found, read back from pixels: the dial panel's
// bevels, OFF beside the small digits, the plug beside the first power bar,
// the dial's "100" whole, the multiplier over the needle, the record panel
// over the bar, and Sampling Interval clear of its edit.
void TestDisplayWidgets::screenPartsKeepClearOfEachOther()
{
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    const QImage dial = frm().KD->grab().toImage();
    const QRgb light = frm().KD->palette().color(QPalette::Light).rgb(),
               dark = frm().KD->palette().color(QPalette::Dark).rgb();
    const int midX = dial.width() / 2, midY = dial.height() / 2;
    // Raised outside, lowered inside, on every edge.
    QCOMPARE(dial.pixel(0, midY), light);
    QCOMPARE(dial.pixel(1, midY), dark);
    QCOMPARE(dial.pixelColor(dial.width() - 1, midY), dark);
    QCOMPARE(dial.pixelColor(dial.width() - 2, midY), light);
    QCOMPARE(dial.pixel(midX, 0), light);
    QCOMPARE(dial.pixelColor(midX, dial.height() - 1), dark);
    QCOMPARE(dial.pixelColor(midX, dial.height() - 2), light);

    // OFF and the power level, against the same reading without them.
    const auto lcdWith = [&](const QByteArray &flags) {
        frm().displayPanel->ShowData618("000005000005" + flags + "DA");
        frm().refreshNow();
        return frm().Panel9->grab().toImage();
    };
    const QImage plain = lcdWith("0000"), marked = lcdWith("1100");
    const int digitRight =
        LcdLayout::SmallDisplay.x() + LcdLayout::SmallDigitLefts.back() + LcdLayout::SmallGlyph.width();
    int offInk = 0, offOverDigit = 0, plugNearBar = 0;
    for (int y = LcdLayout::Off.top(); y <= LcdLayout::Off.bottom(); ++y) {
        for (int x = LcdLayout::Off.left(); x <= LcdLayout::Off.right(); ++x) {
            const bool changed = plain.pixel(x, y) != marked.pixel(x, y);
            offInk += changed;
            offOverDigit += changed && x <= digitRight;
        }
    }
    QVERIFY(offInk > 20);
    QCOMPARE(offOverDigit, 0);
    const QRect firstBar = LcdLayout::PowerBars[0];
    for (int y = firstBar.top() - 4; y <= firstBar.bottom() + 4; ++y)
        plugNearBar += isBlack(marked, {firstBar.left() - 1, y}) + isBlack(marked, {firstBar.left() - 2, y});
    QCOMPARE(plugNearBar, 0);
    QVERIFY(inkPixels(marked, firstBar) == firstBar.width() * firstBar.height());

    // "100": the right stroke of its last "0" stands inside the canvas, and the
    // canvas's last column is left blank (the glyph is not cut there).
    const QImage &canvas = frm().KD->KD1->image();
    const auto inked = [&](int x, int y) { return qGray(canvas.pixel(x, y)) < 160; };
    int lastStroke = 0, edge = 0;
    for (int y = 107; y < 121; ++y) {
        lastStroke += inked(canvas.width() - 4, y) || inked(canvas.width() - 3, y) || inked(canvas.width() - 2, y);
        edge += inked(canvas.width() - 1, y);
    }
    QVERIFY(lastStroke > 3);
    QCOMPARE(edge, 0);

    // The multiplier is painted over a needle through it.
    frm().displayPanel->KDrun(500);
    QVERIFY(frm().KD->Labrate->autoFillBackground());
    const QImage withNeedle = frm().KD->grab().toImage();
    const QRect label = frm().KD->Labrate->geometry();
    int needleInLabel = 0;
    for (int y = label.top(); y <= label.bottom(); ++y)
        needleInLabel += isBlack(withNeedle, {185 + 2, y}) && withNeedle.pixel(185 + 1, y) != qRgb(255, 255, 255);
    QVERIFY(needleInLabel < label.height() / 2);

    // The record panel hides the bar's last two rows; "Interval" ends before the edit.
    const QImage client = frm().client->grab().toImage();
    QCOMPARE(client.pixel(100, frm().Panel7->y() + 1), frm().Panel7->palette().color(QPalette::Window).rgb());
    const QImage panel = frm().Panel7->grab().toImage();
    const QRect edit = frm().RecordSITime->geometry();
    int captionTouchingEdit = 0;
    for (int y = edit.top(); y <= edit.bottom(); ++y)
        captionTouchingEdit +=
            qGray(panel.pixel(edit.left() - 1, y)) < 128 || qGray(panel.pixel(edit.left() - 2, y)) < 128;
    QCOMPARE(captionTouchingEdit, 0);
}

QTEST_MAIN(TestDisplayWidgets)
#include "tst_displaywidgets.moc"

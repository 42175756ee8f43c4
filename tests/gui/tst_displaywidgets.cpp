#include "InputReportStreams.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/display/DialPanel.h"
#include "gui/display/LcdLayout.h"
#include "gui/display/VirtualLcd.h"
#include "gui/widgets/Panel.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QAction>
#include <QLabel>
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
    void frameReachesEveryIndicator();
    void flashingFollowsTheCore();
    void portPanelStepsThroughThePorts();

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
    frm().ShowData618("00001"
                      "5"
                      "00000"
                      "5"
                      "0001DA");
    frm().refreshNow();
    const QImage one = frm().Panel9->grab().toImage();
    QVERIFY(inkPixels(one, mainDigitBox(0)) < eight / 2);
    QVERIFY(inkPixels(one, mainDigitBox(0)) > 0);
    frm().ShowData618("GGLGG"
                      "5"
                      "00000"
                      "5"
                      "0001DA");
    frm().refreshNow();
    const QImage overload = frm().Panel9->grab().toImage();
    QCOMPARE(inkPixels(overload, mainDigitBox(0)), 0);
    QVERIFY(inkPixels(overload, mainDigitBox(2)) > 0); // the "L"
}

void TestDisplayWidgets::needleIsDrawnAndErased()
{
    const DialCanvas &canvas = *frm().KD->KD1;
    // Start-up drew the needle for 0: tip at (20, 131).
    QVERIFY(isBlack(canvas.image(), {20, 131}));
    const QLine zero(QPoint(20, 131), QPoint(526, 407));
    const QPoint onZero = zero.p1() + (QPoint(5, 3)); // on the line, inside the canvas
    QVERIFY(isBlack(canvas.image(), onZero));

    frm().KDrun(500);
    QVERIFY(!isBlack(canvas.image(), onZero));
    QVERIFY(isBlack(canvas.image(), {185, 100}));
    frm().KDrun(500); // the same value twice leaves one needle
    QVERIFY(isBlack(canvas.image(), {185, 100}));
    QCOMPARE(frm().session.state.LastNeedleTip, QPoint(185, 34));
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

void TestDisplayWidgets::flashingFollowsTheCore()
{
    frm().session.display.FlashTimeEnabled = true; // as the watchdog does
    frm().FlashTimeTimer();
    QVERIFY(frm().FlashTime->isActive());
    QVERIFY(frm().session.display.lcd.LabelA.visible); // the first tick shows the digits
    frm().FlashTimeTimer();
    QVERIFY(!frm().session.display.lcd.LabelA.visible);

    feed(frm(), InputReportStreams::reportsFor(InputReportStreams::image("12345", 0)));
    QVERIFY(!frm().FlashTime->isActive());
    QVERIFY(frm().session.display.lcd.LabelA.visible);
}

void TestDisplayWidgets::portPanelStepsThroughThePorts()
{
    QList<int> ports;
    for (int i = 0; i < 5; ++i) {
        frm().Panel1Click();
        ports << frm().session.state.PortSelection;
    }
    QCOMPARE(ports, QList<int>({1, 2, 3, 4, 5}));
    QCOMPARE(frm().Panel1->caption(), QStringLiteral("USB"));

    frm().link->connected = true; // as after CONNECT
    frm().Panel1Click();
    frm().link->connected = false;
    QCOMPARE(frm().session.state.PortSelection, qint8(5));
}

QTEST_MAIN(TestDisplayWidgets)
#include "tst_displaywidgets.moc"

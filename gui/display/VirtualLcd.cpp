#include "gui/display/VirtualLcd.h"

#include "core/display/LcdState.h"
#include "gui/display/LcdLayout.h"
#include "gui/display/Pictures.h"
#include "gui/display/SevenSegment.h"
#include "gui/widgets/Fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <array>

using namespace LcdLayout;

const QColor VirtualLcd::Background(198, 208, 188);
const QColor VirtualLcd::Ink(22, 26, 22);

namespace {

void drawDigitControl(QPainter &painter, const LcdControl &control, const QRectF &box)
{
    if (control.visible)
        SevenSegment::drawDigit(painter, box, SevenSegment::segmentsOf(control.caption), VirtualLcd::Ink);
}

void drawPointControl(QPainter &painter, const LcdControl &control, QPointF bottomLeft, qreal size)
{
    if (control.visible)
        SevenSegment::drawPoint(painter, bottomLeft, size, VirtualLcd::Ink);
}

void drawText(QPainter &painter, const LcdControl &control, QPoint topLeft, int pixels)
{
    if (!control.visible)
        return;
    painter.setFont(arialPixels(pixels, true));
    painter.setPen(VirtualLcd::Ink);
    painter.drawText(QRect(topLeft, QSize(80, pixels + 6)), Qt::AlignLeft | Qt::AlignTop, control.caption);
}

} // namespace

VirtualLcd::VirtualLcd(const LcdState &state, QWidget *parent) : Panel(parent, Bevel::Lowered), lcd(state)
{
    setObjectName(QStringLiteral("Panel9"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Background);
    setPalette(pal);
}

void VirtualLcd::paintEvent(QPaintEvent *event)
{
    Panel::paintEvent(event);
    QPainter painter(this);
    paintSymbols(painter);
    paintSmallDisplay(painter);
    paintAnnunciators(painter);
    paintMainDisplay(painter);
}

void VirtualLcd::paintMainDisplay(QPainter &painter) const
{
    const std::array<const LcdControl *, 5> digits{&lcd.LabelA, &lcd.LabelB, &lcd.LabelC, &lcd.LabelD, &lcd.LabelE};
    const std::array<const LcdControl *, 4> points{&lcd.Point1, &lcd.Point2, &lcd.Point3, &lcd.Point4};
    for (int i = 0; i < 5; ++i) {
        const QPoint topLeft = inMain({MainDigitLefts[i], MainDigitTop});
        drawDigitControl(painter, *digits[i], QRectF(topLeft, MainGlyph));
    }
    const int baseline = MainDisplay.y() + MainDigitTop + MainGlyph.height();
    for (int i = 0; i < 4; ++i)
        drawPointControl(painter, *points[i], QPointF(MainDisplay.x() + MainPointLefts[i] + 1, baseline),
                         MainPointSize);
    drawText(painter, lcd.labrpm, inMain(Rpm), 16);
    drawText(painter, lcd.labcount, inMain(Count), 16);
}

void VirtualLcd::paintSmallDisplay(QPainter &painter) const
{
    const std::array<const LcdControl *, 5> digits{&lcd.H_Time2, &lcd.M_Time1, &lcd.M_Time2, &lcd.S_Time1,
                                                   &lcd.S_Time2};
    const std::array<const LcdControl *, 4> points{&lcd.T_Point1, &lcd.T_Point2, &lcd.T_Point3, &lcd.T_Point5};
    for (int i = 0; i < 5; ++i) {
        const QPoint topLeft = inSmall({SmallDigitLefts[i], SmallDigitTop});
        drawDigitControl(painter, *digits[i], QRectF(topLeft, SmallGlyph));
    }
    const int baseline = SmallDisplay.y() + SmallDigitTop + SmallGlyph.height();
    for (int i = 0; i < 4; ++i)
        drawPointControl(painter, *points[i], QPointF(SmallDisplay.x() + SmallPointLefts[i] + 3, baseline),
                         SmallPointSize);
    if (lcd.T_dPoint2.visible) {
        const QPointF colon = inSmall(Colon) + QPointF(4, SmallDigitTop);
        const qreal third = SmallGlyph.height() / 3.0;
        SevenSegment::drawPoint(painter, colon + QPointF(0, third + SmallPointSize / 2.0), SmallPointSize, Ink);
        SevenSegment::drawPoint(painter, colon + QPointF(-1, 2 * third + SmallPointSize / 2.0), SmallPointSize, Ink);
    }
}

void VirtualLcd::setAnnunciatorRowVisible(bool visible)
{
    annunciatorRow = visible;
    update();
}

void VirtualLcd::paintAnnunciators(QPainter &painter) const
{
    if (!annunciatorRow)
        return;
    const std::array<const LcdControl *, 5> labels{&lcd.NLabelHOLD, &lcd.Nlabelmax, &lcd.NLabelmin, &lcd.NLabelavg,
                                                   &lcd.rsUSB};
    for (int i = 0; i < 5; ++i)
        drawText(painter, *labels[i], Annunciators + QPoint(AnnunciatorLefts[i], 6), 20);
}

void VirtualLcd::paintSymbols(QPainter &painter) const
{
    if (lcd.power.visible)
        painter.drawPixmap(Battery, Pictures::battery());

    if (lcd.LabelOFF.visible) {
        // In the part of the OFF box that the last small digit leaves free,
        // in the largest face that fits there.
        const int digitRight = SmallDisplay.x() + SmallDigitLefts.back() + SmallGlyph.width();
        const QRect free(digitRight + 2, Off.top(), Off.right() - digitRight - 1, Off.height());
        const QString off = QStringLiteral("OFF");
        QFont font = arialPixels(13, true);
        while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(off) > free.width())
            font.setPixelSize(font.pixelSize() - 1);
        painter.setFont(font);
        painter.setPen(Ink);
        painter.drawText(free, Qt::AlignCenter, off);
    }

    if (lcd.Label1.visible) {
        // The power-level symbol: a plug whose prongs point at the level bars.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Ink, 2));
        painter.setBrush(Qt::NoBrush);
        // The plug ends three pixels before the first bar, so the bars stay three.
        const QRect r = PowerLevel;
        painter.drawLine(r.left() + 2, r.top() + 18, r.left() + 8, r.top() + 18);
        painter.drawRoundedRect(QRect(r.left() + 8, r.top() + 11, 6, 14), 2, 2);
        painter.restore();
    }
    const std::array<const LcdControl *, 3> bars{&lcd.pow1, &lcd.pow2, &lcd.pow3};
    for (int i = 0; i < 3; ++i) {
        if (bars[i]->visible)
            painter.fillRect(PowerBars[i], Ink);
    }
}

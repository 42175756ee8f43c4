#include "core/display/MeterDisplay.h"

#include "core/common/ModuleState.h"
#include "core/common/ReadingNumber.h"
#include "core/display/ConnectionIndicator.h"
#include "core/display/CurrentReading.h"
#include "core/display/SegmentDecoder.h"

#include <array>

namespace {

constexpr int kOverloadBarPosition = 100000;
constexpr int kOverloadValue = 99999;
const QString kOverloadText = QStringLiteral("0L");

// Display text positions count from 1.
char at(const QByteArray &text, int position)
{
    return text.at(position - 1);
}

// A digit of the display text as a label shows it: unknown patterns as "0".
QString digitCaption(char c)
{
    return c == 'G' ? QStringLiteral("0") : QString(QLatin1Char(c));
}

bool anyOverload(const QByteArray &text, int first, int last)
{
    for (int p = first; p <= last; ++p) {
        if (at(text, p) == 'L')
            return true;
    }
    return false;
}

// The overload display: "", "0", "@" (the letter L), "", "" from the left.
void showOverload(const std::array<LcdControl *, 5> &digits)
{
    const std::array<const char *, 5> captions{"", "0", "@", "", ""};
    for (int i = 0; i < 5; ++i)
        digits[i]->caption = QString::fromLatin1(captions[i]);
}

int flagDigit(const QByteArray &text, int position)
{
    return HexNibbleValue(text.mid(position - 1, 1));
}

} // namespace

MeterDisplay::MeterDisplay(ModuleState &moduleState, ConnectionIndicator &connectionIndicator, Dial &theDial)
    : state(moduleState), indicator(connectionIndicator), dial(theDial)
{}

std::optional<Dial::Stroke> MeterDisplay::ShowData618(const QByteArray &displayText, const QString &sysDecimalSep)
{
    indicator.showCONok();
    DispInit(0);
    lcd.rsUSB.visible = true;
    holdFlag = false;
    // Only a complete display text is shown (the decoder never makes another).
    if (displayText.size() < 18 || at(displayText, 17) != 'D' || at(displayText, 18) != 'A' ||
        at(displayText, 1) == 'A')
        return std::nullopt;

    const QStringList digitTexts = showDigitTexts(displayText);
    showFlags(displayText);
    showDecimalPoint(at(displayText, 6));
    return showReading(digitTexts, at(displayText, 6), ReadingSeparator(sysDecimalSep));
}

// Sets the digits of both displays and returns the main digits' texts, left to right.
QStringList MeterDisplay::showDigitTexts(const QByteArray &text)
{
    const std::array<LcdControl *, 5> mainDigits = lcd.mainDigits();
    if (anyOverload(text, 1, 5)) {
        // The small display keeps its digits; its points stay hidden.
        showOverload(mainDigits);
    } else {
        showSmallDisplay(text);
        for (int i = 0; i < 5; ++i)
            mainDigits[i]->caption = digitCaption(at(text, 5 - i)); // position 5 is the leftmost
    }
    QStringList texts;
    for (const LcdControl *digit : mainDigits)
        texts.append(digit->caption);
    return texts;
}

void MeterDisplay::showSmallDisplay(const QByteArray &text)
{
    const std::array<LcdControl *, 5> smallDigits = lcd.smallDigits();
    if (anyOverload(text, 7, 11)) {
        showOverload(smallDigits);
    } else {
        for (int i = 0; i < 5; ++i)
            smallDigits[i]->caption = digitCaption(at(text, 11 - i)); // position 11 is the leftmost
    }
    switch (at(text, 12)) {
    case '1': lcd.T_Point5.visible = true; break;
    case '2': lcd.T_Point3.visible = true; break;
    case '3': lcd.T_Point2.visible = true; break;
    case '4': lcd.T_Point1.visible = true; break;
    default: break;
    }
}

void MeterDisplay::showFlags(const QByteArray &text)
{
    const int power = flagDigit(text, 13);
    if (power & 1) {
        for (LcdControl *c : {&lcd.Label1, &lcd.pow1, &lcd.pow2, &lcd.pow3})
            c->visible = true;
    }

    const int symbols = flagDigit(text, 14);
    if (symbols & 1)
        lcd.LabelOFF.visible = true;
    if (symbols & 2)
        lcd.power.visible = true;
    if (symbols & 4) {
        lcd.NLabelHOLD.visible = true;
        holdFlag = true;
    }
    if (symbols & 8)
        lcd.T_dPoint2.visible = true;

    const int statistics = flagDigit(text, 15);
    const std::array<LcdControl *, 3> statisticLabels{&lcd.Nlabelmax, &lcd.NLabelmin, &lcd.NLabelavg};
    for (int bit = 0; bit < 3; ++bit) {
        if (statistics & (1 << bit)) {
            statisticLabels[bit]->visible = true;
            lcd.H_Time2.visible = true;
        }
    }

    // Units: COUNT is tested last, so it wins when both bits are set.
    const int units = flagDigit(text, 16);
    if (units & 1) {
        lcd.labrpm.visible = true;
        state.ReadingUnit = QStringLiteral("RPM");
    }
    if (units & 2) {
        lcd.labcount.visible = true;
        state.ReadingUnit = QStringLiteral("PCS");
    }
}

void MeterDisplay::showDecimalPoint(char position)
{
    if (position >= '1' && position <= '4')
        lcd.mainPoints()[position - '1']->visible = true;
}

// The current reading, its range, the needle, the chart axis and the bar.
Dial::Stroke MeterDisplay::showReading(const QStringList &digitTexts, char pointPosition, const QString &separator)
{
    if (const std::optional<QString> text = ReadingTextFor(digitTexts, pointPosition, separator)) {
        state.ReadingText = *text;
        state.DecimalPosition = qint8(pointPosition - '0');
    }
    if (digitTexts[1] + digitTexts[2] == QStringLiteral("0@"))
        state.ReadingText = kOverloadText;

    const bool overload = state.ReadingText == kOverloadText;
    const int value = overload ? kOverloadValue : ReadingWholePart(state.ReadingText, separator);
    const int magnitude = qAbs(value);
    const RangeBand band = RangeBandOf(magnitude);
    range.Labrate = band.multiplier;
    range.PBar2Maximum = band.barMaximum;

    const int needleValue = overload ? 10 * state.DialScale : NeedleValueOf(state.ReadingText, separator, band.factor);
    const Dial::Stroke stroke = dial.KDrun(needleValue);

    range.ChartAxisMaximum = magnitude > 10000 ? 100000 : 10000;
    range.PBar2Position = overload ? kOverloadBarPosition : qMax(magnitude, 1);
    return stroke;
}

void MeterDisplay::hideSmallPoints()
{
    lcd.T_Point2.visible = false;
    lcd.T_Point5.visible = false;
}

void MeterDisplay::DispInit(int mode)
{
    if (mode != 0)
        return;
    for (LcdControl *c : {&lcd.labcount,   &lcd.labrpm,    &lcd.Point1,    &lcd.Point2,    &lcd.Point3,  &lcd.Point4,
                          &lcd.T_Point1,   &lcd.T_Point2,  &lcd.T_Point3,  &lcd.T_Point5,  &lcd.power,   &lcd.T_dPoint2,
                          &lcd.NLabelHOLD, &lcd.Nlabelmax, &lcd.NLabelmin, &lcd.NLabelavg, &lcd.H_Time2, &lcd.Label1,
                          &lcd.pow1,       &lcd.pow2,      &lcd.pow3,      &lcd.LabelOFF})
        c->visible = false;
}

void MeterDisplay::ShowDigits(bool show)
{
    for (LcdControl *digit : lcd.mainDigits())
        digit->visible = show;
    const std::array<LcdControl *, 4> points = lcd.mainPoints();
    if (state.DecimalPosition >= 1 && state.DecimalPosition <= 4)
        points[state.DecimalPosition - 1]->visible = show;
    else if (state.DecimalPosition == 6) {
        for (LcdControl *point : points)
            point->visible = show;
    }
}

void MeterDisplay::flashTick()
{
    FlashPhase = !FlashPhase;
    ShowDigits(FlashPhase);
}

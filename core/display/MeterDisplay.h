#pragma once

#include "core/display/Dial.h"
#include "core/display/LcdState.h"

#include <QByteArray>
#include <QString>

#include <optional>

class ConnectionIndicator;
class RecordPolicy;
class TrendChart;
struct ModuleState;

// The range shown under the LCD and on the dial: the multiplier label Labrate
// and the progress bar PBar2.
struct RangeIndicators
{
    QString Labrate = QStringLiteral("x 0.1");
    int PBar2Maximum = 60;
    int PBar2Position = 20;
};

// Shows decoded display texts: the virtual LCD, the current reading with its
// range, the dial's needle, the chart's left axis, and the hand-over to the
// record policy.
class MeterDisplay
{
public:
    MeterDisplay(ModuleState &state, ConnectionIndicator &indicator, Dial &dial, TrendChart &chart,
                 RecordPolicy &recordPolicy);

    // Shows one display text. Returns the needle's strokes when it moved.
    std::optional<Dial::Stroke> ShowData618(const QByteArray &displayText, const QString &sysDecimalSep);
    // Mode 0 hides the annunciators; other modes do nothing.
    void DispInit(int mode);
    void ShowDigits(bool show);
    void FlashTimeTimer();

    LcdState lcd;
    RangeIndicators range;
    bool FlashTimeEnabled = false; // the 300 ms digit-flashing timer
    bool holdFlag = false;         // HOLD was lit on the last shown frame

private:
    QStringList showDigitTexts(const QByteArray &text);
    void showSmallDisplay(const QByteArray &text);
    void showFlags(const QByteArray &text);
    void showDecimalPoint(char position);
    Dial::Stroke showReading(const QStringList &digitTexts, char pointPosition, const QString &separator);

    ModuleState &state;
    ConnectionIndicator &indicator;
    Dial &dial;
    TrendChart &chart;
    RecordPolicy &recordPolicy;
};

#pragma once

#include "core/display/Dial.h"
#include "core/display/LcdState.h"

#include <QByteArray>
#include <QString>

#include <optional>

class ConnectionIndicator;
struct ModuleState;

// The range shown under the LCD and on the dial: the multiplier label Labrate
// and the progress bar PBar2.
struct RangeIndicators
{
    QString Labrate = QStringLiteral("x 0.1");
    int PBar2Maximum = 60;
    int PBar2Position = 20;
    int ChartAxisMaximum = 10000; // the chart's left axis follows the reading's range
};

// Shows decoded display texts: the virtual LCD, the current reading with its
// range and the dial's needle. What a shown reading means for the table and
// the chart is the session's business.
class MeterDisplay
{
public:
    MeterDisplay(ModuleState &state, ConnectionIndicator &indicator, Dial &dial);

    // Shows one display text. Returns the needle's strokes for a complete
    // text (nothing for one that is not).
    std::optional<Dial::Stroke> ShowData618(const QByteArray &displayText, const QString &sysDecimalSep);
    // Mode 0 hides the annunciators; other modes do nothing.
    void DispInit(int mode);
    void ShowDigits(bool show);
    void flashTick();
    // Clear All hides the small display's two points.
    void hideSmallPoints();

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
    bool FlashPhase = false; // the digits' next state while flashing
};

#pragma once

#include "core/display/Dial.h"
#include "core/display/LcdState.h"

#include <QByteArray>
#include <QObject>

#include <optional>

class MeterSession;
class RefreshScheduler;
struct DisplayControls;

// The live reading on the screen: each input report through the session, the
// LCD (with its blinking), the dial's needle drawn stroke by stroke, the range
// label and bar and the connection indicator. Each change asks the window's
// refresh scheduler for a repaint soon.
class DisplayPanel : public QObject
{
public:
    // The display subscribes to `refresher` first: the LCD and dial are
    // brought up to date before the rest of the window.
    DisplayPanel(DisplayControls &ui, MeterSession &session, RefreshScheduler &refresher);

    void Read618(quint8 ReportID, const quint8 *Data, quint16 Size);
    void ShowData618(const QByteArray &displayText);
    void FlashTimeTimer();
    void KDsetup();
    void KDrun(int value);

    // A repaint soon, with the blinking timer following the display's state.
    void scheduleRefresh();
    // For the other features: the LCD repainted after a change they made to
    // it, and its annunciator row hidden while the chart is enlarged over it.
    void updateLcd();
    void setAnnunciatorRowVisible(bool visible);

private:
    void applyNeedle(const std::optional<Dial::Stroke> &stroke);

    DisplayControls &ui;
    MeterSession &session;
    void paint();

    RefreshScheduler &refresher;
    LcdState painted; // what the LCD showed when last repainted
};

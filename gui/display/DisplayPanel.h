#pragma once

#include "core/display/Dial.h"
#include "core/display/LcdState.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <optional>

class MeterSession;
class QTimer;
struct DisplayControls;

// The live reading on the screen: each input report through the session, the
// LCD (with its blinking), the dial's needle drawn stroke by stroke, the range
// label and bar, the connection indicator, and the repaint at a bounded rate —
// bursts of frames cause one repaint, at most 25 a second.
class DisplayPanel : public QObject
{
public:
    // `refreshFeatures` brings the rest of the window (grid, chart) up to date
    // when the window is repainted.
    DisplayPanel(DisplayControls &ui, MeterSession &session, std::function<void()> refreshFeatures);

    void Read618(quint8 ReportID, const quint8 *Data, quint16 Size);
    void ShowData618(const QByteArray &displayText);
    void FlashTimeTimer();
    void KDsetup();
    void KDrun(int value);

    // A repaint soon, with the blinking timer following the display's state.
    void scheduleRefresh();
    // The core's state on the screen now.
    void refreshNow();
    // For the other features: the LCD repainted after a change they made to
    // it, and its annunciator row hidden while the chart is enlarged over it.
    void updateLcd();
    void setAnnunciatorRowVisible(bool visible);

private:
    void applyNeedle(const std::optional<Dial::Stroke> &stroke);

    DisplayControls &ui;
    MeterSession &session;
    std::function<void()> refreshFeatures;
    QTimer *refreshTimer;
    LcdState painted; // what the LCD showed when last repainted
};

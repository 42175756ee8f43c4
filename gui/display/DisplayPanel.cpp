#include "gui/display/DisplayPanel.h"

#include "core/app/MeterSession.h"
#include "gui/display/DialPanel.h"
#include "gui/display/DisplayControls.h"
#include "gui/display/VirtualLcd.h"
#include "gui/widgets/RefreshScheduler.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

DisplayPanel::DisplayPanel(DisplayControls &controls, MeterSession &meterSession, RefreshScheduler &refreshScheduler)
    : ui(controls), session(meterSession), refresher(refreshScheduler)
{
    refresher.subscribe([this] { paint(); });
    connect(ui.FlashTime, &QTimer::timeout, this, &DisplayPanel::FlashTimeTimer);
}

void DisplayPanel::Read618(quint8 ReportID, const quint8 *Data, quint16 Size)
{
    applyNeedle(session.Read618(ReportID, Data, Size).needle);
    scheduleRefresh();
}

void DisplayPanel::ShowData618(const QByteArray &displayText)
{
    applyNeedle(session.ShowData618(displayText));
    scheduleRefresh();
}

void DisplayPanel::FlashTimeTimer()
{
    session.display.flashTick();
    scheduleRefresh();
}

void DisplayPanel::KDsetup()
{
    ui.KD->KD1->drawScale(session.dial.geometry(), session.state.DialScale);
}

void DisplayPanel::KDrun(int value)
{
    ui.KD->KD1->applyStroke(session.dial.KDrun(value));
}

// The needle is drawn on the canvas at once, in order, so that each stroke
// erases exactly the needle before it.
void DisplayPanel::applyNeedle(const std::optional<Dial::Stroke> &stroke)
{
    if (stroke)
        ui.KD->KD1->applyStroke(*stroke);
}

void DisplayPanel::scheduleRefresh()
{
    if (ui.FlashTime->isActive() != session.display.FlashTimeEnabled) {
        if (session.display.FlashTimeEnabled)
            ui.FlashTime->start();
        else
            ui.FlashTime->stop();
    }
    refresher.schedule();
}

void DisplayPanel::paint()
{
    const RangeIndicators &range = session.display.range;
    ui.KD->Labrate->setText(range.Labrate);
    ui.PBar2->setMaximum(range.PBar2Maximum);
    ui.PBar2->setValue(range.PBar2Position);
    ui.KD->CONok->setVisible(session.indicator.CONokVisible());
    ui.KD->CONokN->setVisible(session.indicator.CONokNVisible());
    // Reports come far more often than the display changes: the LCD is
    // repainted only when something on it did.
    if (session.display.lcd != painted) {
        painted = session.display.lcd;
        ui.Panel9->update();
    }
}

void DisplayPanel::updateLcd()
{
    ui.Panel9->update();
}

void DisplayPanel::setAnnunciatorRowVisible(bool visible)
{
    ui.Panel9->setAnnunciatorRowVisible(visible);
}

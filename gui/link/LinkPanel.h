#pragma once

#include <QObject>
#include <QString>

#include <functional>

class LinkControl;
struct LinkControls;

// The link on the screen: the CONNECT panel, the hidden controls that hold the
// link's state (USBCon, ReadBtn, SetFeature, the device list and the event
// log), the ComSet menu with its port items and the port panel Panel1. Each
// handler goes to the link in core; what the link then holds is shown.
class LinkPanel : public QObject
{
public:
    // `changed` asks the window for a repaint of what the link touched.
    LinkPanel(LinkControls &ui, LinkControl &link, std::function<void()> changed);

    void Panel2Click();
    void USBConClick();
    void ReadBtnClick();
    void SetFeatureClick();
    void ConTimerTimer();
    // A line of the diagnostic report handler, for the event log.
    void logProbe(const QString &line);

    // Port selection
    void Panel1Click();
    void selectComPort(int n); // COM1Click .. COM4Click
    void USBClick();

    // Puts the link's state on its controls.
    void refresh();

private:
    LinkControls &ui;
    LinkControl &link;
    std::function<void()> changed;
};

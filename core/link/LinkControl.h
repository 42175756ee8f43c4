#pragma once

#include "core/hid/HidControllerClass.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ConnectionIndicator;
class MeterDisplay;
struct ModuleState;

// The modal boxes the link shows the user.
class LinkMessages
{
public:
    virtual ~LinkMessages() = default;
    // An information box with an OK button; returns when it is closed.
    virtual void information(const QString &text) = 0;
    // A plain message box.
    virtual void message(const QString &text) = 0;
};

// One entry of the device list: its display name and the checked-out device.
// The entry owns the device; destroying it checks the device in.
struct DevListEntry
{
    QString text;
    std::shared_ptr<THidDevice> device;
};

// The main window's side of the USB link: the device list filled from the HID
// controller's events, the cable picked by its name, connecting and
// disconnecting with the cable's feature report, the event log, and the
// connection watchdog. The link's state is plain fields here; the window shows
// it on its controls (the window's handlers keep the controls' names).
class LinkControl
{
public:
    static const QString CableName;
    static const std::array<quint8, 10> FeatureReport; // report ID first: 2400 baud
    static const QString NotConnectedMessage;
    static const QString MeterNotReadyMessage;
    static const QString PortMessage;
    static const QString PermissionMessage;

    // `read618` and `readProbe` are the input-report handlers the link installs.
    LinkControl(ModuleState &state, MeterDisplay &display, ConnectionIndicator &indicator, THidDeviceController &HidCtl,
                LinkMessages &messages, THidDataEvent read618, THidDataEvent readProbe);
    ~LinkControl();
    LinkControl(const LinkControl &) = delete;
    LinkControl &operator=(const LinkControl &) = delete;

    // Assigns the controller's events in the order loading the window does;
    // assigning OnDeviceChange fills the device list and picks the cable.
    void wireEvents();

    // The user's connection: on, the cable is configured and read; off, it
    // is let go. toggleConnection() is the CONNECT button's.
    void connect();
    void disconnect();
    bool isConnected() const { return connected; }
    void toggleConnection();
    // The steps connecting takes, each also a control of its own: reading the
    // selected cable on or off, the diagnostic probe's handler as `probing`
    // says, the cable's feature report written.
    void toggleCableReading();
    void applyProbe();
    void configureCable();
    // One second of the connection watchdog.
    void watchdogTick();
    void HidCtlDeviceChange(QObject *Sender);
    bool HidCtlEnumerate(THidDevice *HidDev, int Idx);
    void HidCtlArrival(THidDevice *HidDev);
    void HidCtlRemoval(THidDevice *HidDev);
    void HidCtlDeviceDataError(THidDevice *HidDev, quint32 Error);
    static QString DeviceDisplayName(THidDevice *device);

    // Reconnects to the selected cable while still connected: writes its
    // feature report and reads it again. False when it cannot be read.
    bool resumeReading();

    // Told, after a device change, that the cable being read has gone while
    // connected, and later that a cable is listed again while still
    // connected (until resumeReading succeeds). The link only reports; the
    // window or mx840-log decides what to do.
    std::function<void()> onCableLost;
    std::function<void()> onCableBack;

    // Told what goes wrong with the cable while connected, in a line naming
    // its node and the system's reason: the cable's settings not written, a
    // read failing, a report descriptor with no input report. Each trouble is
    // told once until the cable delivers again (dataArrived()).
    std::function<void(const QString &)> onTrouble;
    void dataArrived() { trouble.clear(); }
    // Whether a trouble was told and the cable has delivered nothing since.
    bool troubled() const { return !trouble.isEmpty(); }
    // The node of a device, as troubles name it.
    static QString NodeOf(const THidDevice *device);

    bool reading = false; // the cable's reports go to the meter's handler
    bool probing = false; // never stays on
    // The user's connection. It stays on after the cable has gone, until the
    // user or the watchdog ends it.
    bool connected = false;
    // The caption of the CONNECT button: "DISCONNECT" while connected.
    QString connectCaption() const;
    // The port the port button steps to from the selected one; none while connected.
    std::optional<int> nextPortSelection() const;
    // Selects port `n` (1 to 4: COM1 to COM4, 5: USB).
    void selectPort(int n);
    // The selected port as the port button shows it: "COM1" .. "COM4" or "USB".
    QString portCaption() const;
    bool portsEnabled = true;
    QList<DevListEntry> devices;
    int selectedIndex = -1;
    QStringList eventLog; // the last line is the selected one
    // The device the link uses; it belongs to its devices entry, so it
    // cannot dangle when the list is rebuilt.
    std::weak_ptr<THidDevice> CurrentDevice;

private:
    std::shared_ptr<THidDevice> selectedDevice() const;
    bool takeSelectedDevice();
    void log(const QString &line);
    void giveUp();
    std::shared_ptr<THidDevice> cableBeingRead() const;
    void selectCable();
    void reportCable(bool cableGone);
    void tellTrouble(const QString &what);
    enum class Reading { Nothing, Meter, Probe };
    void setReading(const std::shared_ptr<THidDevice> &device, Reading what);

    ModuleState &state;
    MeterDisplay &display;
    ConnectionIndicator &indicator;
    THidDeviceController &HidCtl;
    LinkMessages &messages;
    THidDataEvent Read618;
    THidDataEvent ReadProbe;
    // During a device change: the cable whose reading goes on through it.
    std::shared_ptr<THidDevice> keptReader;
    bool cableLost = false;
    QString trouble; // the last trouble told
    // The device whose reports go to Read618, while they do.
    std::weak_ptr<THidDevice> meterReader;
};

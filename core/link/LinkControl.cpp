#include "core/link/LinkControl.h"

#include "core/common/ModuleState.h"
#include "core/display/ConnectionIndicator.h"
#include "core/display/MeterDisplay.h"

#include <cerrno>

namespace {

constexpr int kAlarmTicks = 30;
constexpr int kGiveUpReports = 8900;

// Upper-case hexadecimal with at least `digits` digits ("%.2x", "%.4x").
QString hex(uint value, int digits)
{
    return QString::number(value, 16).rightJustified(digits, QLatin1Char('0')).toUpper();
}

} // namespace

const QString LinkControl::CableName = QStringLiteral("USB to Serial");
const std::array<quint8, 10> LinkControl::FeatureReport{0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
const QString LinkControl::NotConnectedMessage =
    QStringLiteral("USB interface cable is not securely connected, please check and re-try.");
const QString LinkControl::MeterNotReadyMessage =
    QStringLiteral("USB interface cable is securely connected, please check if the meter is ready.");
const QString LinkControl::PortMessage =
    QStringLiteral("Could not open this specified port,change port NO.and try again! ");
const QString LinkControl::PermissionMessage = QStringLiteral(
    "The USB interface cable is plugged in, but this user is not allowed to open it (permission denied).\n\n"
    "Install the udev rule 70-mx840-cable.rules that comes with the program (see its README) into "
    "/etc/udev/rules.d, then unplug the cable and plug it in again.");

LinkControl::LinkControl(ModuleState &moduleState, MeterDisplay &meterDisplay, ConnectionIndicator &connectionIndicator,
                         THidDeviceController &controller, LinkMessages &linkMessages, THidDataEvent read618,
                         THidDataEvent readProbe)
    : state(moduleState)
    , display(meterDisplay)
    , indicator(connectionIndicator)
    , HidCtl(controller)
    , messages(linkMessages)
    , Read618(std::move(read618))
    , ReadProbe(std::move(readProbe))
{}

// The controller outlives the link; its change notification is cleared when
// it is destroyed itself (clearing it here would rescan).
LinkControl::~LinkControl()
{
    HidCtl.OnArrival = {};
    HidCtl.OnEnumerate = {};
    HidCtl.OnRemoval = {};
    HidCtl.setOnDeviceDataError({});
    devices.clear(); // checks every device in, stopping its reading
}

void LinkControl::wireEvents()
{
    HidCtl.OnArrival = THidPlugEvent(this, &LinkControl::HidCtlArrival);
    HidCtl.OnEnumerate = THidEnumerateEvent(this, &LinkControl::HidCtlEnumerate);
    HidCtl.setOnDeviceChange(TNotifyEvent(this, &LinkControl::HidCtlDeviceChange));
    HidCtl.setOnDeviceDataError(THidDataErrorEvent(this, &LinkControl::HidCtlDeviceDataError));
    HidCtl.OnRemoval = THidPlugEvent(this, &LinkControl::HidCtlRemoval);
}

QString LinkControl::DeviceDisplayName(THidDevice *device)
{
    QString name = device->ProductName();
    if (name.isEmpty())
        name = QStringLiteral("Device VID=%1 PID=%2")
                   .arg(hex(device->Attributes.VendorID, 4), hex(device->Attributes.ProductID, 4));
    const QString serial = device->SerialNumber();
    if (!serial.isEmpty())
        name += QStringLiteral(" (Serial=%1)").arg(serial);
    return name;
}

std::shared_ptr<THidDevice> LinkControl::selectedDevice() const
{
    if (selectedIndex < 0 || selectedIndex >= devices.size())
        return {};
    return devices[selectedIndex].device;
}

void LinkControl::log(const QString &line)
{
    eventLog.append(line);
}

// CurrentDevice := none; with an entry selected, the device of that entry.
bool LinkControl::takeSelectedDevice()
{
    CurrentDevice.reset();
    if (devices.isEmpty() || selectedIndex < 0)
        return false;
    CurrentDevice = selectedDevice();
    return true;
}

void LinkControl::applyProbe()
{
    if (!takeSelectedDevice())
        return;
    const std::shared_ptr<THidDevice> device = CurrentDevice.lock();
    if (!device || !device->ReadWriteAccess) {
        probing = false;
        return;
    }
    setReading(device, probing ? Reading::Probe : Reading::Nothing);
}

// Gives the device the report handler for `reading`, and remembers which
// device the meter's readings (Read618) come from.
void LinkControl::setReading(const std::shared_ptr<THidDevice> &device, Reading what)
{
    device->setOnData(what == Reading::Meter ? Read618 : what == Reading::Probe ? ReadProbe : THidDataEvent());
    if (what == Reading::Meter)
        meterReader = device;
    else if (meterReader.lock() == device)
        meterReader.reset();
}

QString LinkControl::NodeOf(const THidDevice *device)
{
    return device ? QString::fromLocal8Bit(device->PnPInfo().DevicePath) : QStringLiteral("the interface cable");
}

void LinkControl::tellTrouble(const QString &what)
{
    if (what == trouble)
        return;
    trouble = what;
    if (onTrouble)
        onTrouble(what);
}

void LinkControl::configureCable()
{
    if (!takeSelectedDevice()) {
        messages.information(NotConnectedMessage);
        reading = false;
        return;
    }
    // The window goes on whatever the result; it is told to whoever follows troubles.
    if (const std::shared_ptr<THidDevice> device = CurrentDevice.lock()) {
        errno = 0;
        if (!device->SendFeature(FeatureReport.data(), int(FeatureReport.size())) && reading)
            tellTrouble(QStringLiteral("%1: the cable's settings could not be written: %2")
                            .arg(NodeOf(device.get()), qt_error_string(errno ? errno : EIO)));
    }
    QString line;
    for (quint8 byte : FeatureReport)
        line += hex(byte, 2) + u' ';
    log(line);
}

void LinkControl::toggleCableReading()
{
    reading = !reading;
    cableLost = false;
    trouble.clear();
    applyProbe();
    configureCable();
    state.ReportCount = 0;
    if (!takeSelectedDevice())
        return;
    const std::shared_ptr<THidDevice> device = CurrentDevice.lock();
    if (!device || !device->ReadWriteAccess) {
        reading = false;
        // Without read and write access nothing can be read; when the reason
        // is a missing permission, say how to grant it.
        if (device && device->ReadWriteOpenError == EACCES)
            messages.information(PermissionMessage);
        return;
    }
    setReading(device, reading ? Reading::Meter : Reading::Nothing);
    if (reading && device->Capabilities().InputReportByteLength == 0)
        tellTrouble(QStringLiteral("%1: its report descriptor declares no input report; no reading can arrive")
                        .arg(NodeOf(device.get())));
}

void LinkControl::connect()
{
    if (!connected)
        toggleConnection();
}

void LinkControl::disconnect()
{
    if (connected)
        toggleConnection();
}

void LinkControl::toggleConnection()
{
    display.lcd.rsUSB.visible = false;
    const bool usb = state.PortSelection > 4;
    if (!connected) {
        if (usb) {
            toggleCableReading();
            connected = reading;
        } else {
            // No serial port is opened, so switching cannot fail here.
            connected = true;
        }
        portsEnabled = false;
        return;
    }
    connected = false;
    portsEnabled = true;
    if (state.PortSelection == 5)
        toggleCableReading();
}

QString LinkControl::connectCaption() const
{
    return connected ? QStringLiteral("DISCONNECT") : QStringLiteral("CONNECT");
}

// The port after the selected one, as the port button steps through them: COM1 to COM4,
// USB, COM1 again. Not while connected.
std::optional<int> LinkControl::nextPortSelection() const
{
    if (connected || state.PortSelection < 1 || state.PortSelection > 5)
        return std::nullopt;
    return state.PortSelection % 5 + 1;
}

void LinkControl::selectPort(int n)
{
    state.PortSelection = qint8(n);
}

QString LinkControl::portCaption() const
{
    return state.PortSelection == 5 ? QStringLiteral("USB") : QStringLiteral("COM%1").arg(state.PortSelection);
}

void LinkControl::watchdogTick()
{
    ModuleState &s = state;
    if (s.WatchdogTicks != kAlarmTicks) {
        ++s.WatchdogTicks;
        return;
    }
    if (s.ReportCount < kGiveUpReports)
        display.FlashTimeEnabled = true;
    else
        giveUp();
    ++s.ReportCount;
}

// The meter has been silent too long: disconnect and say so. The message is
// modal and the watchdog goes on ticking while it is open.
void LinkControl::giveUp()
{
    ModuleState &s = state;
    s.ReportCount = 0;
    reading = false;
    if (const std::shared_ptr<THidDevice> device = CurrentDevice.lock())
        setReading(device, Reading::Nothing);
    messages.information(MeterNotReadyMessage);
    display.ShowDigits(true);
    connected = false;
    display.FlashTimeEnabled = false;
    s.WatchdogTicks = kAlarmTicks + 1;
    indicator.showCONokN();
}

// The cable the link is reading with Read618, while it is still plugged in.
std::shared_ptr<THidDevice> LinkControl::cableBeingRead() const
{
    const std::shared_ptr<THidDevice> device = CurrentDevice.lock();
    if (!reading || !device || !device->PluggedIn || device != meterReader.lock())
        return {};
    return device;
}

// Rebuilds the device list. The cable being read keeps its device object and
// its reader: plugging or unplugging any other device must not interrupt the
// readings. Only the cable's own removal ends them.
void LinkControl::HidCtlDeviceChange(QObject *)
{
    const std::shared_ptr<THidDevice> current = CurrentDevice.lock();
    const bool wasReading = reading && current && current == meterReader.lock();
    keptReader = cableBeingRead();
    if (!keptReader) {
        probing = false;
        applyProbe();
    }
    devices.clear(); // destroys (checks in) every listed device but the one being read
    selectedIndex = -1;
    HidCtl.Enumerate();
    selectCable();
    const bool cableGone = wasReading && !keptReader;
    keptReader.reset();
    reportCable(cableGone);
}

// The entry of the cable being read; otherwise the last entry named after the cable.
void LinkControl::selectCable()
{
    for (qsizetype i = devices.size() - 1; i >= 0; --i) {
        if (keptReader && devices[i].device == keptReader) {
            selectedIndex = int(i);
            return;
        }
    }
    for (qsizetype i = devices.size() - 1; i >= 0; --i) {
        if (devices[i].text == CableName) {
            selectedIndex = int(i);
            return;
        }
    }
}

void LinkControl::reportCable(bool cableGone)
{
    if (cableGone) {
        cableLost = true;
        if (onCableLost)
            onCableLost();
    }
    // Also when the cable went and came back between two looks.
    if (cableLost && reading && selectedIndex >= 0 && onCableBack)
        onCableBack();
}

bool LinkControl::resumeReading()
{
    if (!reading)
        return false;
    configureCable();
    state.ReportCount = 0;
    const std::shared_ptr<THidDevice> device = CurrentDevice.lock();
    if (!device || !device->ReadWriteAccess)
        return false;
    setReading(device, Reading::Meter);
    cableLost = false;
    return true;
}

bool LinkControl::HidCtlEnumerate(THidDevice *HidDev, int Idx)
{
    DevListEntry entry{DeviceDisplayName(HidDev), {}};
    if (THidDevice *device = HidCtl.CheckOutAt(Idx))
        entry.device.reset(device);
    else if (keptReader.get() == HidDev)
        entry.device = keptReader; // still checked out to us, and still reading
    devices.append(entry);
    return true;
}

void LinkControl::HidCtlArrival(THidDevice *HidDev)
{
    log(QStringLiteral("Arrival of ") + DeviceDisplayName(HidDev));
}

void LinkControl::HidCtlRemoval(THidDevice *HidDev)
{
    log(QStringLiteral("Removal of ") + DeviceDisplayName(HidDev));
}

void LinkControl::HidCtlDeviceDataError(THidDevice *HidDev, quint32 Error)
{
    log(QStringLiteral("READ ERROR: %1 (%2)").arg(qt_error_string(int(Error)), hex(Error, 1)));
    tellTrouble(QStringLiteral("%1: reading failed: %2").arg(NodeOf(HidDev), qt_error_string(int(Error))));
}

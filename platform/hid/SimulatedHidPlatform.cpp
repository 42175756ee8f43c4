#include "platform/hid/SimulatedHidPlatform.h"

#include "platform/hid/EventFdWakeUp.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {

void writeUnits(const QList<char16_t> &text, char16_t *units, int count)
{
    for (int i = 0; i < text.size() && i < count; ++i)
        units[i] = text[i];
}

QList<char16_t> unitsOf(const QString &text)
{
    QList<char16_t> units;
    for (QChar c : text)
        units.append(c.unicode());
    return units;
}

using Node = SimulatedHidPlatform::Node;

class SimulatedHidFile : public HidFile
{
public:
    SimulatedHidFile(std::shared_ptr<Node> interfaceNode, HidAccess openedFor)
        : node(std::move(interfaceNode)), access(openedFor)
    {
        if (access == HidAccess::ReadOverlapped)
            countReader(+1);
    }
    ~SimulatedHidFile() override { shutdown(); }

    bool getAttributes(HidAttributes &attributes) override
    {
        std::lock_guard lock(node->mutex);
        if (closed || node->script.attributesFail)
            return false;
        attributes = node->script.attributes;
        return true;
    }

    bool getProductString(char16_t *units, int count) override
    {
        std::lock_guard lock(node->mutex);
        if (closed || !node->script.product)
            return false;
        writeUnits(unitsOf(*node->script.product), units, count - 1);
        return true;
    }

    bool getSerialNumberString(char16_t *units, int count) override
    {
        std::lock_guard lock(node->mutex);
        if (closed)
            return false;
        if (node->script.serialIsLanguageList) {
            writeUnits(node->script.languages, units, count);
            return true;
        }
        if (!node->script.serial)
            return false;
        writeUnits(unitsOf(*node->script.serial), units, count - 1);
        return true;
    }

    bool getIndexedString(int index, char16_t *units, int count) override
    {
        std::lock_guard lock(node->mutex);
        if (closed || index != 0)
            return false;
        writeUnits(node->script.languages, units, count);
        return true;
    }

    HidPreparsedHandle getPreparsedData() override
    {
        std::lock_guard lock(node->mutex);
        if (closed)
            return {};
        return std::make_shared<HidPreparsedData>(node->script.caps);
    }

    bool setFeature(const quint8 *report, int length) override
    {
        std::lock_guard lock(node->mutex);
        if (closed || access != HidAccess::ReadWrite || !node->present || node->script.featureFails)
            return false;
        node->features.append(QByteArray(reinterpret_cast<const char *>(report), length));
        return true;
    }

    int beginRead(quint8 *target, int length) override
    {
        std::lock_guard lock(node->mutex);
        if (closed || access != HidAccess::ReadOverlapped)
            return EBADF;
        if (!node->present)
            return ENODEV;
        if (node->script.readStartError)
            return node->script.readStartError;
        buffer = target;
        bufferLength = length;
        reading = true;
        result = 0;
        error = 0;
        return 0;
    }

    Wait waitRead(int milliseconds) override
    {
        std::unique_lock lock(node->mutex);
        const bool woken = node->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] {
            return interrupted || closed || !node->present || node->nextReadError || !node->reports.empty();
        });
        if (!woken || !reading)
            return Wait::TimedOut;
        if (interrupted) {
            interrupted = false;
            return Wait::TimedOut;
        }
        reading = false;
        if (closed)
            return Wait::Completed; // ended by closing: no data, no error
        if (!node->present)
            error = ENODEV;
        else if (node->nextReadError)
            error = std::exchange(node->nextReadError, 0);
        else
            deliverNextReport();
        return Wait::Completed;
    }

    qint64 readResult() override
    {
        std::lock_guard lock(node->mutex);
        return result;
    }

    int readError() override
    {
        std::lock_guard lock(node->mutex);
        return error;
    }

    bool cancelRead() override
    {
        std::lock_guard lock(node->mutex);
        const bool wasReading = reading;
        reading = false;
        return wasReading;
    }

    void interruptWait() override
    {
        std::lock_guard lock(node->mutex);
        interrupted = true;
        node->changed.notify_all();
    }

    void shutdown() override
    {
        {
            std::lock_guard lock(node->mutex);
            if (closed)
                return;
            closed = true;
            node->changed.notify_all();
        }
        if (access == HidAccess::ReadOverlapped)
            countReader(-1);
    }

private:
    // A file opened for reading is a reader of its interface until it is
    // shut down; whoever follows the interface's readers is told (outside
    // the lock: it may be told from any thread).
    void countReader(int change)
    {
        {
            std::lock_guard lock(node->mutex);
            node->readers += change;
        }
        std::function<void()> tell;
        {
            std::lock_guard lock(node->followers->mutex);
            tell = node->followers->byPath.value(node->path);
        }
        if (tell)
            tell();
    }

    void deliverNextReport()
    {
        const QByteArray report = node->reports.front();
        node->reports.pop_front();
        const int n = int(qMin<qsizetype>(report.size(), bufferLength));
        std::memcpy(buffer, report.constData(), size_t(n));
        result = n;
    }

    std::shared_ptr<Node> node;
    const HidAccess access;
    // guarded by node->mutex
    bool closed = false;
    bool interrupted = false;
    bool reading = false;
    quint8 *buffer = nullptr;
    int bufferLength = 0;
    qint64 result = 0;
    int error = 0;
};

} // namespace

SimulatedHidPlatform::Interface SimulatedHidPlatform::cable(const QByteArray &path, std::optional<QString> serial)
{
    Interface cable;
    cable.path = path;
    cable.attributes = {0x1234, 0x5678, 0x0100};
    cable.product = QStringLiteral("USB to Serial");
    cable.serial = std::move(serial);
    cable.caps = {0x0001, 0xFF00, 9, 9, 10};
    return cable;
}

SimulatedHidPlatform::Interface SimulatedHidPlatform::otherDevice(const QByteArray &path, const QString &product)
{
    Interface device;
    device.path = path;
    device.attributes = {0x2222, 0x0001, 0x0110};
    device.product = product;
    device.caps = {0x0002, 0x0001, 5, 0, 0};
    return device;
}

std::shared_ptr<SimulatedHidPlatform::Node> SimulatedHidPlatform::find(const QByteArray &path) const
{
    std::lock_guard lock(nodesMutex);
    for (const std::shared_ptr<Node> &node : nodes) {
        if (node->script.path == path)
            return node;
    }
    return {};
}

void SimulatedHidPlatform::plug(const Interface &script)
{
    auto node = std::make_shared<Node>();
    node->script = script;
    node->path = script.path;
    node->followers = followers;
    std::lock_guard lock(nodesMutex);
    node->instanceId = nextInstanceId++;
    nodes.append(node);
}

void SimulatedHidPlatform::unplug(const QByteArray &path)
{
    if (const std::shared_ptr<Node> node = find(path)) {
        std::lock_guard lock(node->mutex);
        node->present = false;
        node->changed.notify_all();
    }
}

void SimulatedHidPlatform::replug(const QByteArray &path)
{
    const std::shared_ptr<Node> old = find(path);
    if (!old)
        return;
    Interface script;
    {
        std::lock_guard lock(old->mutex);
        old->present = false;
        old->changed.notify_all();
        script = old->script;
    }
    {
        std::lock_guard lock(nodesMutex);
        nodes.removeOne(old);
    }
    plug(script);
}

SimulatedHidPlatform::Interface &SimulatedHidPlatform::interface(const QByteArray &path)
{
    return find(path)->script;
}

void SimulatedHidPlatform::pushReport(const QByteArray &path, const QByteArray &report)
{
    if (const std::shared_ptr<Node> node = find(path)) {
        std::lock_guard lock(node->mutex);
        // Like the kernel's buffer, it keeps the newest reports nobody reads.
        if (node->reports.size() >= MaxQueuedReports)
            node->reports.pop_front();
        node->reports.push_back(report);
        node->changed.notify_all();
    }
}

void SimulatedHidPlatform::failNextRead(const QByteArray &path, int error)
{
    if (const std::shared_ptr<Node> node = find(path)) {
        std::lock_guard lock(node->mutex);
        node->nextReadError = error;
        node->changed.notify_all();
    }
}

void SimulatedHidPlatform::failReadStarts(const QByteArray &path, int error)
{
    if (const std::shared_ptr<Node> node = find(path)) {
        std::lock_guard lock(node->mutex);
        node->script.readStartError = error;
        node->changed.notify_all();
    }
}

int SimulatedHidPlatform::readers(const QByteArray &path)
{
    const std::shared_ptr<Node> node = find(path);
    if (!node)
        return 0;
    std::lock_guard lock(node->mutex);
    return node->readers;
}

void SimulatedHidPlatform::followReaders(const QByteArray &path, std::function<void()> changed)
{
    std::lock_guard lock(followers->mutex);
    if (changed)
        followers->byPath.insert(path, std::move(changed));
    else
        followers->byPath.remove(path);
}

QList<QByteArray> SimulatedHidPlatform::featureReports(const QByteArray &path)
{
    const std::shared_ptr<Node> node = find(path);
    if (!node)
        return {};
    std::lock_guard lock(node->mutex);
    return node->features;
}

void SimulatedHidPlatform::notifyChange()
{
    if (watcher)
        watcher();
}

bool SimulatedHidPlatform::BindSetupApi()
{
    if (++setupApiUses == 1)
        setupApiBound = setupApiAvailable;
    return setupApiBound;
}

void SimulatedHidPlatform::UnbindSetupApi()
{
    if (--setupApiUses <= 0)
        setupApiBound = false;
}

bool SimulatedHidPlatform::BindHid()
{
    hidBound = hidAvailable;
    return hidBound;
}

void SimulatedHidPlatform::UnbindHid()
{
    hidBound = false;
}

std::optional<QList<HidInterfaceInfo>> SimulatedHidPlatform::presentInterfaces()
{
    if (!setupApiBound || enumerationFails)
        return std::nullopt;
    QList<std::shared_ptr<Node>> listed;
    {
        std::lock_guard lock(nodesMutex);
        listed = nodes;
    }
    QList<HidInterfaceInfo> present;
    for (const std::shared_ptr<Node> &node : listed) {
        std::lock_guard lock(node->mutex);
        if (node->present)
            present.append({node->instanceId, node->script.path});
    }
    return present;
}

HidHandle SimulatedHidPlatform::open(const QByteArray &devicePath, HidAccess access, int *error)
{
    const std::shared_ptr<Node> node = find(devicePath);
    int refusal = 0;
    if (!node) {
        refusal = ENOENT;
    } else {
        std::lock_guard lock(node->mutex);
        if (!node->present)
            refusal = ENOENT;
        else if (node->script.openFails || (node->script.queryOnly && access != HidAccess::QueryOnly))
            refusal = EACCES;
    }
    if (refusal) {
        if (error)
            *error = refusal;
        return {};
    }
    return std::make_shared<SimulatedHidFile>(node, access);
}

// The simulated cable's read threads wake the GUI thread as the real ones do.
std::unique_ptr<HidWakeUp> SimulatedHidPlatform::wakeUpThisThread(std::function<void()> woken)
{
    return EventFdWakeUp::create(std::move(woken));
}

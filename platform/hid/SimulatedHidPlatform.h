#pragma once

#include "core/hid/HidPlatform.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// An in-process HID platform holding scripted interfaces: the fixture of the
// HID layer's tests and, behind a meter simulator, the program's simulated
// cable. Every failure the layer must survive is a switch here.
class SimulatedHidPlatform : public HidPlatform
{
public:
    // How one scripted interface behaves.
    struct Interface
    {
        QByteArray path;
        HidAttributes attributes;
        std::optional<QString> product;
        std::optional<QString> serial;
        QList<char16_t> languages{0x0409};
        bool serialIsLanguageList = false; // answers the serial request with its language list
        HidCaps caps;
        bool openFails = false;      // cannot be opened at all
        bool queryOnly = false;      // opens only without read and write access
        bool attributesFail = false; // cannot be identified
        int readStartError = 0;      // a read fails to start with this error
        bool featureFails = false;
    };

    // The interface cable "USB to Serial": 8-byte input reports, a 10-byte
    // feature report, both with report ID 0.
    static Interface cable(const QByteArray &path, std::optional<QString> serial = std::nullopt);
    // Some other HID device.
    static Interface otherDevice(const QByteArray &path, const QString &product);

    // Adds a present interface with a new instance number.
    void plug(const Interface &interface);
    void unplug(const QByteArray &path);
    // Plugs an unplugged interface in again, with a new instance number.
    void replug(const QByteArray &path);
    // The script of an interface, to change before any thread reads it.
    Interface &interface(const QByteArray &path);

    static constexpr size_t MaxQueuedReports = 64;

    // Queues an input report (report ID first) for the interface's reader.
    void pushReport(const QByteArray &path, const QByteArray &report);
    // Makes the next read end with this error.
    void failNextRead(const QByteArray &path, int error);
    // From now on reads fail to start with this error (0: they start again).
    void failReadStarts(const QByteArray &path, int error);
    // Feature reports the interface has received, in order.
    QList<QByteArray> featureReports(const QByteArray &path);
    // How many files have the interface open for reading; `changed` is
    // called, from whatever thread opens or shuts one, whenever that changes.
    int readers(const QByteArray &path);
    void followReaders(const QByteArray &path, std::function<void()> changed);
    // Tells the watcher that interfaces changed (as a hot-plug event would).
    void notifyChange();

    bool setupApiAvailable = true;
    bool hidAvailable = true;
    bool enumerationFails = false;
    int setupApiUseCount() const { return setupApiUses; }

    // HidPlatform
    bool BindSetupApi() override;
    void UnbindSetupApi() override;
    bool BindHid() override;
    void UnbindHid() override;
    bool HidBound() const override { return hidBound; }
    std::optional<QList<HidInterfaceInfo>> presentInterfaces() override;
    HidHandle open(const QByteArray &devicePath, HidAccess access, int *error = nullptr) override;
    void watchDeviceChanges(std::function<void()> changed) override { watcher = std::move(changed); }
    void stopWatchingDeviceChanges() override { watcher = nullptr; }
    std::unique_ptr<HidWakeUp> wakeUpThisThread(std::function<void()> woken) override;
    bool watching() const { return bool(watcher); }

    // Who is told when an interface's readers change, by path: kept by the
    // platform, so that it holds across a replug; shared with the nodes.
    struct ReaderFollowers
    {
        std::mutex mutex;
        QHash<QByteArray, std::function<void()>> byPath;
    };

    // Shared between the platform and the files open on one interface; every
    // field after `mutex` is guarded by it.
    struct Node
    {
        Interface script;
        quint32 instanceId = 0;
        std::mutex mutex;
        std::condition_variable changed;
        bool present = true;
        std::deque<QByteArray> reports;
        int nextReadError = 0;
        QList<QByteArray> features;
        int readers = 0;
        std::shared_ptr<ReaderFollowers> followers; // the platform's
        QByteArray path;                            // as plugged; never changes
    };

private:
    std::shared_ptr<Node> find(const QByteArray &path) const;

    // Read threads open their interfaces while the GUI thread plugs others.
    mutable std::mutex nodesMutex;
    QList<std::shared_ptr<Node>> nodes;
    quint32 nextInstanceId = 1;
    int setupApiUses = 0;
    bool setupApiBound = false;
    bool hidBound = false;
    std::function<void()> watcher;
    std::shared_ptr<ReaderFollowers> followers = std::make_shared<ReaderFollowers>();
};

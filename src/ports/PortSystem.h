#pragma once

#include "PortBackend.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// A device as the device lists show it: which backend has it, and under what name.
struct DeviceEntry
{
    PortBackend *backend = nullptr;
    QString portName; // the backend's own name, used to open the port
    QString displayName; // what the user sees
};

// All backends that offer ports on this machine, in the order their devices are listed, and
// the news of their ports coming and going. Lives on the UI thread.
class PortSystem : public QObject
{
    Q_OBJECT

public:
    explicit PortSystem(std::vector<std::unique_ptr<PortBackend>> backends);
    ~PortSystem() override;

    // The ALSA sequencer (through RtMidi), JACK, the loopback device and Lumetra's own
    // virtual ports, in that order, so that the positions an earlier version remembered
    // still name the same devices.
    static std::shared_ptr<PortSystem> createDefault();
    // The loopback device alone: for tests, benchmarks and tools that need no hardware.
    static std::shared_ptr<PortSystem> createLoopbackOnly();

    std::vector<DeviceEntry> devices(PortDirection direction) const;
    // The devices' names as the lists show them, in the same order.
    QStringList names(PortDirection direction) const;
    // The input ports of other programs that can be tapped, as the output list shows them.
    std::vector<DeviceEntry> tappablePorts() const;
    QStringList tappableNames() const;
    // The outputs that feed one of those now, as the input list shows them.
    std::vector<DeviceEntry> feedersOf(const DeviceEntry &tapped) const;
    // What the backends say keeps some of their ports away.
    QStringList notices() const;

    // Looks at every backend now and tells devicesChanged.
    void rescan();

signals:
    // Ports may have come or gone; told once for a burst of changes.
    void devicesChanged();
    // Connections between other programs' ports may have been made or broken; told once
    // for a burst.
    void connectionsChanged();

private:
    void backendChanged(); // any thread
    void connectionChanged(); // any thread
    void onThisThreadOnce(std::atomic<bool> &pending, std::function<void()> run);
    void lookAtSilentBackends();

    std::vector<std::unique_ptr<PortBackend>> m_backends;
    std::map<PortBackend *, std::vector<DeviceEntry>> m_lastSeen; // backends that cannot tell
    std::atomic<bool> m_changePending {false};
    std::atomic<bool> m_connectionPending {false};
    QTimer m_settle; // lets a burst of port news settle into one
    QTimer m_look; // for the backends that cannot tell
};

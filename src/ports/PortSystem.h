#pragma once

#include "PortBackend.h"

#include <memory>
#include <vector>

// A device as the device lists show it: which backend has it, and under what name.
struct DeviceEntry
{
    PortBackend *backend = nullptr;
    QString portName; // the backend's own name, used to open the port
    QString displayName; // what the user sees
};

// All backends that offer ports on this machine, in the order their devices are listed.
class PortSystem
{
public:
    explicit PortSystem(std::vector<std::unique_ptr<PortBackend>> backends);

    // RtMidi's APIs that can start here, then the loopback device, always last.
    static std::shared_ptr<PortSystem> createDefault();
    // The loopback device alone: for tests, benchmarks and tools that need no hardware.
    static std::shared_ptr<PortSystem> createLoopbackOnly();

    std::vector<DeviceEntry> devices(PortDirection direction) const;

private:
    std::vector<std::unique_ptr<PortBackend>> m_backends;
};

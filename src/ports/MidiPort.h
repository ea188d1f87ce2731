#pragma once

#include "PortBackend.h"
#include "PortSystem.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

// What the input and output components share: the device list read through DeviceIndex
// and DeviceName, the port state, and the choice of device for the next open.
class MidiPort : public QObject
{
    Q_OBJECT

public:
    // Reads the device list afresh; DeviceName and the next open use this reading.
    std::int16_t DeviceCount();
    std::int16_t DeviceIndex() const { return m_deviceIndex; }
    void setDeviceIndex(std::int16_t index) { m_deviceIndex = index; }
    // Empty when DeviceIndex is not in the list.
    QString DeviceName();
    // 0 closed, 1 open, 2 open and receiving (input only).
    virtual std::int16_t PortState() const = 0;
    // Throws PortError for a command the port cannot carry out.
    virtual void setCommand(std::int16_t command) = 0;

protected:
    MidiPort(std::shared_ptr<PortSystem> ports, PortDirection direction, QObject *parent);

    // The chosen device; throws PortError when DeviceIndex names none.
    const DeviceEntry &chosenDevice();
    [[noreturn]] void refuseCommand(std::int16_t command) const;

private:
    std::shared_ptr<PortSystem> m_ports;
    PortDirection m_direction;
    std::vector<DeviceEntry> m_devices;
    bool m_listed = false;
    std::int16_t m_deviceIndex = 0;
};

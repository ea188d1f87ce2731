#pragma once

#include "PortBackend.h"
#include "PortSystem.h"

#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

// What the input and output components share: the device list read through DeviceIndex
// and DeviceName, the port state, the choice of device for the next open, and following
// that device when it goes and comes back.
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
    // 0 closed (or waiting for its device), 1 open, 2 open and receiving (input only).
    virtual std::int16_t PortState() const = 0;
    // Throws PortError for a command the port cannot carry out.
    virtual void setCommand(std::int16_t command) = 0;

    // The device last opened, as the lists show it; empty while the port is closed.
    QString chosenDeviceName() const { return m_chosen; }
    // While the chosen device is gone, the port waits for a device of that name to come
    // back, and then opens it again by itself.
    bool isWaitingForDevice() const { return m_waiting; }

signals:
    void deviceStateChanged();

protected:
    MidiPort(std::shared_ptr<PortSystem> ports, PortDirection direction, QObject *parent);

    // Opens the device DeviceIndex names through `open`, and follows it from then on;
    // throws PortError when there is none or it cannot be opened.
    void openChosenDevice(const std::function<void(const DeviceEntry &)> &open);
    // Opens the listed device of that name through `open`, or waits for one to be listed;
    // follows it from then on either way. Throws PortError when it cannot be opened.
    void followNamedDevice(
        const QString &name, const std::function<void(const DeviceEntry &)> &open);
    // Closed on purpose: nothing to wait for any more.
    void forgetDevice();
    [[noreturn]] void refuseCommand(std::int16_t command) const;
    // The connection to the device, as the component has it.
    virtual bool connectionAlive() const = 0;
    virtual void dropConnection() = 0;
    virtual void reconnect(const DeviceEntry &device) = 0;

private:
    void followDevices();
    void adopt(const DeviceEntry &device, const std::function<void(const DeviceEntry &)> &open);
    void waitFor(const QString &name);

    std::shared_ptr<PortSystem> m_ports;
    PortDirection m_direction;
    std::vector<DeviceEntry> m_devices;
    bool m_listed = false;
    std::int16_t m_deviceIndex = 0;
    QString m_chosen;
    bool m_waiting = false;
};

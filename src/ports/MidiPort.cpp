#include "MidiPort.h"

#include "PortError.h"

MidiPort::MidiPort(std::shared_ptr<PortSystem> ports, PortDirection direction, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_direction(direction)
{
    connect(m_ports.get(), &PortSystem::devicesChanged, this, &MidiPort::followDevices);
}

std::int16_t MidiPort::DeviceCount()
{
    m_devices = m_ports->devices(m_direction);
    m_listed = true;
    return static_cast<std::int16_t>(std::min<std::size_t>(m_devices.size(), INT16_MAX));
}

QString MidiPort::DeviceName()
{
    if (!m_listed)
        DeviceCount();
    if (m_deviceIndex < 0 || std::size_t(m_deviceIndex) >= m_devices.size())
        return {};
    return m_devices[std::size_t(m_deviceIndex)].displayName;
}

void MidiPort::openChosenDevice(const std::function<void(const DeviceEntry &)> &open)
{
    forgetDevice();
    if (!m_listed)
        DeviceCount();
    if (m_deviceIndex < 0 || std::size_t(m_deviceIndex) >= m_devices.size()) {
        const char *kind = m_direction == PortDirection::Input ? "input" : "output";
        throw PortError(QStringLiteral("There is no MIDI %1 device number %2.")
                            .arg(QLatin1String(kind))
                            .arg(m_deviceIndex));
    }
    adopt(m_devices[std::size_t(m_deviceIndex)], open);
}

void MidiPort::followNamedDevice(
    const QString &name, const std::function<void(const DeviceEntry &)> &open)
{
    forgetDevice();
    DeviceCount();
    const auto listed = std::ranges::find(m_devices, name, &DeviceEntry::displayName);
    if (listed == m_devices.end()) {
        waitFor(name);
        return;
    }
    m_deviceIndex = std::int16_t(listed - m_devices.begin());
    adopt(*listed, open);
}

void MidiPort::adopt(
    const DeviceEntry &device, const std::function<void(const DeviceEntry &)> &open)
{
    open(device);
    // A device whose system is not there yet (Lumetra's own ports before a JACK server runs)
    // is waited for like one that went.
    if (connectionAlive())
        m_chosen = device.displayName;
    else
        waitFor(device.displayName);
}

void MidiPort::waitFor(const QString &name)
{
    m_chosen = name;
    m_waiting = true;
    emit deviceStateChanged();
}

void MidiPort::forgetDevice()
{
    m_chosen.clear();
    if (std::exchange(m_waiting, false))
        emit deviceStateChanged();
}

void MidiPort::refuseCommand(std::int16_t command) const
{
    throw PortError(QStringLiteral("The MIDI port does not know the command %1.").arg(command));
}

void MidiPort::followDevices()
{
    if (m_chosen.isEmpty())
        return;
    const std::vector<DeviceEntry> devices = m_ports->devices(m_direction);
    const auto listed = std::ranges::find(devices, m_chosen, &DeviceEntry::displayName);
    if (!m_waiting && (listed == devices.end() || !connectionAlive())) {
        dropConnection();
        m_waiting = true;
        emit deviceStateChanged();
    }
    // A device still listed (its system came back under it, say) is opened again at once.
    if (m_waiting && listed != devices.end()) {
        try {
            reconnect(*listed);
            if (connectionAlive()) {
                m_waiting = false;
                emit deviceStateChanged();
            }
        } catch (const PortError &) {
            // Listed but not ready yet: the next change tries again.
        }
    }
}

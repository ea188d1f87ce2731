#include "MidiPort.h"

#include "PortError.h"

MidiPort::MidiPort(std::shared_ptr<PortSystem> ports, PortDirection direction, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_direction(direction)
{ }

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

const DeviceEntry &MidiPort::chosenDevice()
{
    if (!m_listed)
        DeviceCount();
    if (m_deviceIndex < 0 || std::size_t(m_deviceIndex) >= m_devices.size()) {
        const char *kind = m_direction == PortDirection::Input ? "input" : "output";
        throw PortError(QStringLiteral("There is no MIDI %1 device number %2.")
                            .arg(QLatin1String(kind))
                            .arg(m_deviceIndex));
    }
    return m_devices[std::size_t(m_deviceIndex)];
}

void MidiPort::refuseCommand(std::int16_t command) const
{
    throw PortError(QStringLiteral("The MIDI port does not know the command %1.").arg(command));
}

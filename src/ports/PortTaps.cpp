#include "PortTaps.h"

#include "MIDIInput.h"
#include "PortError.h"
#include "PortSystem.h"

#include <algorithm>

PortTaps::PortTaps(Feeds feeds, std::shared_ptr<PortSystem> ports, QObject *parent)
    : QObject(parent)
    , m_open(std::move(feeds))
    , m_ports(std::move(ports))
{
    connect(m_ports.get(), &PortSystem::devicesChanged, this, &PortTaps::follow);
    connect(m_ports.get(), &PortSystem::connectionsChanged, this, &PortTaps::follow);
}

void PortTaps::tap(const QStringList &ports)
{
    m_tapped = ports;
    m_tapped.removeDuplicates();
    follow();
}

QString PortTaps::sourceName(const QString &tapped, const QString &feeder)
{
    return QStringLiteral("→ %1 (from %2)").arg(tapped, feeder);
}

// A feed is opened for every output that feeds a tapped port now, and let go of when it no
// longer does; one whose connection broke (its feeder came back as another port under the
// same name, say) is opened anew.
void PortTaps::follow()
{
    const std::vector<DeviceEntry> listed = m_ports->tappablePorts();
    std::vector<std::pair<QString, DeviceEntry>> wanted;
    QStringList waiting;
    for (const QString &name : m_tapped) {
        const auto port = std::ranges::find(listed, name, &DeviceEntry::displayName);
        if (port == listed.end()) {
            waiting << name;
            continue;
        }
        for (const DeviceEntry &feeder : m_ports->feedersOf(*port))
            wanted.emplace_back(sourceName(port->portName, feeder.portName), feeder);
    }
    QStringList sources;
    for (const auto &[source, feeder] : wanted)
        sources << source;
    letGoOfUnwanted(sources);
    for (const auto &[source, feeder] : wanted) {
        if (std::ranges::find(m_feeds, source, &Feed::source) != m_feeds.end())
            continue;
        try {
            m_feeds.push_back({source, &m_open.open(feeder, source)});
        } catch (const PortError &) {
            // Listed but not ready yet: the next news tries again.
        }
    }
    if (std::exchange(m_waiting, waiting) != m_waiting)
        emit waitingChanged();
}

void PortTaps::letGoOfUnwanted(const QStringList &wanted)
{
    for (std::size_t i = m_feeds.size(); i-- > 0;) {
        if (wanted.contains(m_feeds[i].source) && m_feeds[i].input->isConnected())
            continue;
        m_open.close(*m_feeds[i].input);
        m_feeds.erase(m_feeds.begin() + std::ptrdiff_t(i));
    }
}

#include "PortSystem.h"

#include "JackBackend.h"
#include "LoopbackBackend.h"
#include "RtMidiBackend.h"
#include "VirtualBackend.h"

namespace {

constexpr std::chrono::milliseconds SettleFor {100};
constexpr std::chrono::seconds LookEvery {1};

std::vector<DeviceEntry> entriesOf(PortBackend &backend, PortDirection direction)
{
    std::vector<DeviceEntry> entries;
    const QString label = backend.label();
    for (const QString &name : backend.portNames(direction)) {
        const QString shown = label.isEmpty() ? name : label + QStringLiteral(": ") + name;
        entries.push_back({&backend, name, shown});
    }
    return entries;
}

QStringList displayNames(const std::vector<DeviceEntry> &entries)
{
    QStringList names;
    for (const DeviceEntry &device : entries)
        names << device.displayName;
    return names;
}

bool sameDevices(const std::vector<DeviceEntry> &a, const std::vector<DeviceEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](const DeviceEntry &x, const DeviceEntry &y) { return x.displayName == y.displayName; });
}

} // namespace

PortSystem::PortSystem(std::vector<std::unique_ptr<PortBackend>> backends)
    : m_backends(std::move(backends))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleFor);
    connect(&m_settle, &QTimer::timeout, this, &PortSystem::devicesChanged);
    m_look.setInterval(LookEvery);
    connect(&m_look, &QTimer::timeout, this, &PortSystem::lookAtSilentBackends);
    for (const auto &backend : m_backends) {
        backend->setChangeListener([this] { backendChanged(); });
        backend->setConnectionListener([this] { connectionChanged(); });
        if (!backend->announcesChanges()) {
            auto &seen = m_lastSeen[backend.get()];
            for (PortDirection direction : {PortDirection::Input, PortDirection::Output})
                std::ranges::move(entriesOf(*backend, direction), std::back_inserter(seen));
            m_look.start();
        }
    }
}

PortSystem::~PortSystem()
{
    // The backends go first: one of their threads may be telling of a change until then.
    m_backends.clear();
}

std::shared_ptr<PortSystem> PortSystem::createDefault()
{
    std::vector<std::unique_ptr<PortBackend>> backends;
    RtMidiBackend *alsa = nullptr;
    for (auto &backend : RtMidiBackend::createAvailable()) {
        alsa = backend.get();
        backends.push_back(std::move(backend));
    }
    auto jack = std::make_unique<JackBackend>();
    JackBackend *jackBackend = jack.get();
    backends.push_back(std::move(jack));
    backends.push_back(std::make_unique<LoopbackBackend>());
    backends.push_back(std::make_unique<VirtualBackend>(jackBackend, alsa));
    return std::make_shared<PortSystem>(std::move(backends));
}

std::shared_ptr<PortSystem> PortSystem::createLoopbackOnly()
{
    std::vector<std::unique_ptr<PortBackend>> backends;
    backends.push_back(std::make_unique<LoopbackBackend>());
    return std::make_shared<PortSystem>(std::move(backends));
}

std::vector<DeviceEntry> PortSystem::devices(PortDirection direction) const
{
    std::vector<DeviceEntry> entries;
    for (const auto &backend : m_backends)
        std::ranges::move(entriesOf(*backend, direction), std::back_inserter(entries));
    return entries;
}

QStringList PortSystem::names(PortDirection direction) const
{
    return displayNames(devices(direction));
}

std::vector<DeviceEntry> PortSystem::tappablePorts() const
{
    std::vector<DeviceEntry> entries;
    for (const auto &backend : m_backends)
        if (backend->tapsPorts())
            std::ranges::move(
                entriesOf(*backend, PortDirection::Output), std::back_inserter(entries));
    return entries;
}

QStringList PortSystem::tappableNames() const
{
    return displayNames(tappablePorts());
}

std::vector<DeviceEntry> PortSystem::feedersOf(const DeviceEntry &tapped) const
{
    std::vector<DeviceEntry> feeders;
    const QString label = tapped.backend->label();
    for (const QString &name : tapped.backend->feedersOf(tapped.portName))
        feeders.push_back({tapped.backend, name, label + QStringLiteral(": ") + name});
    return feeders;
}

QStringList PortSystem::notices() const
{
    QStringList notices;
    for (const auto &backend : m_backends)
        if (const QString notice = backend->notice(); !notice.isEmpty())
            notices << notice;
    return notices;
}

void PortSystem::rescan()
{
    for (const auto &backend : m_backends)
        backend->lookNow();
    lookAtSilentBackends();
    m_settle.stop();
    emit devicesChanged();
}

void PortSystem::backendChanged()
{
    onThisThreadOnce(m_changePending, [this] {
        if (!m_settle.isActive())
            m_settle.start();
    });
}

void PortSystem::connectionChanged()
{
    onThisThreadOnce(m_connectionPending, [this] { emit connectionsChanged(); });
}

// A burst of news from a backend's thread is one call here, not one for each.
void PortSystem::onThisThreadOnce(std::atomic<bool> &pending, std::function<void()> run)
{
    if (pending.exchange(true, std::memory_order_acq_rel))
        return;
    QMetaObject::invokeMethod(
        this,
        [&pending, run = std::move(run)] {
            pending.store(false, std::memory_order_release);
            run();
        },
        Qt::QueuedConnection);
}

void PortSystem::lookAtSilentBackends()
{
    for (auto &[backend, seen] : m_lastSeen) {
        std::vector<DeviceEntry> now;
        for (PortDirection direction : {PortDirection::Input, PortDirection::Output})
            std::ranges::move(entriesOf(*backend, direction), std::back_inserter(now));
        if (!sameDevices(now, seen)) {
            seen = std::move(now);
            backendChanged();
        }
    }
}

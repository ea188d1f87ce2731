#include "PortSystem.h"

#include "LoopbackBackend.h"
#include "RtMidiBackend.h"

PortSystem::PortSystem(std::vector<std::unique_ptr<PortBackend>> backends)
    : m_backends(std::move(backends))
{ }

std::shared_ptr<PortSystem> PortSystem::createDefault()
{
    auto backends = RtMidiBackend::createAvailable();
    backends.push_back(std::make_unique<LoopbackBackend>());
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
    for (const auto &backend : m_backends) {
        const QString label = backend->label();
        for (const QString &name : backend->portNames(direction)) {
            const QString shown = label.isEmpty() ? name : label + QStringLiteral(": ") + name;
            entries.push_back({backend.get(), name, shown});
        }
    }
    return entries;
}

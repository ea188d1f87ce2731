#include "JackBackend.h"

#include "JackClient.h"
#include "PortError.h"

namespace {

constexpr const char *ClientName = "Lumetra";
constexpr std::chrono::seconds LookForServerEvery {1};

// An open port of ours, connected to another program's port or to nothing (our own ports).
template<typename Connection>
class JackPort : public Connection
{
public:
    JackPort(std::shared_ptr<JackClient> client, int slot)
        : m_client(std::move(client))
        , m_slot(slot)
    { }
    ~JackPort() override { m_client->remove(m_slot); }
    bool isAlive() const override { return m_client->isAlive(); }

protected:
    std::shared_ptr<JackClient> m_client;
    int m_slot;
};

class JackInput : public JackPort<InputConnection>
{
    using JackPort::JackPort;
};

class JackOutput : public JackPort<OutputConnection>
{
public:
    using JackPort::JackPort;
    void send(std::span<const std::uint8_t> bytes) override { m_client->send(m_slot, bytes); }
};

} // namespace

struct JackBackend::Relay
{
    std::mutex mutex;
    JackBackend *backend;

    void tell()
    {
        std::lock_guard lock(mutex);
        if (backend) {
            backend->wakeWatcher();
            backend->announceChange();
        }
    }
};

JackBackend::JackBackend()
    : m_relay(std::make_shared<Relay>())
{
    m_relay->backend = this;
    // The first look is made at once, so that the lists read at start-up hold JACK's ports.
    m_client = JackClient::open(ClientName, [relay = m_relay] { relay->tell(); });
    m_watcher = std::thread(&JackBackend::watch, this);
}

JackBackend::~JackBackend()
{
    {
        std::lock_guard lock(m_relay->mutex);
        m_relay->backend = nullptr;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_watcher.join();
    if (m_client)
        m_client->closeIfDead();
    m_client.reset();
}

bool JackBackend::serverAnswers()
{
    return JackClient::open("Lumetra probe", [] {}) != nullptr;
}

QString JackBackend::label() const
{
    return QStringLiteral("JACK");
}

std::shared_ptr<JackClient> JackBackend::client() const
{
    std::lock_guard lock(m_mutex);
    return m_client && m_client->isAlive() ? m_client : nullptr;
}

std::shared_ptr<JackClient> JackBackend::requireClient() const
{
    if (auto live = client())
        return live;
    throw PortError(QStringLiteral("No JACK server runs."));
}

QStringList JackBackend::portNames(PortDirection direction)
{
    const auto live = client();
    return live ? live->otherPorts(direction == PortDirection::Input) : QStringList();
}

std::unique_ptr<InputConnection> JackBackend::openInput(const QString &name, InputSink &sink)
{
    const auto live = requireClient();
    const int slot = live->addInput(sink, QStringLiteral("MIDI In"), name);
    return std::make_unique<JackInput>(live, slot);
}

std::unique_ptr<OutputConnection> JackBackend::openOutput(const QString &name)
{
    const auto live = requireClient();
    const int slot = live->addOutput(QStringLiteral("MIDI Out"), name);
    return std::make_unique<JackOutput>(live, slot);
}

std::unique_ptr<InputConnection> JackBackend::openOwnInput(const QString &portName, InputSink &sink)
{
    const auto live = requireClient();
    return std::make_unique<JackInput>(live, live->addInput(sink, portName, {}));
}

std::unique_ptr<OutputConnection> JackBackend::openOwnOutput(const QString &portName)
{
    const auto live = requireClient();
    return std::make_unique<JackOutput>(live, live->addOutput(portName, {}));
}

void JackBackend::wakeWatcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

// Connects while a server answers. A client whose server went is closed at once, before any
// new one is opened (the JACK library crashes otherwise), and a server is looked for every
// second after that.
void JackBackend::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_client && !m_client->isAlive()) {
            m_client->closeIfDead();
            m_client.reset();
            lock.unlock();
            announceChange();
            lock.lock();
        }
        if (!m_client) {
            lock.unlock();
            auto opened = JackClient::open(ClientName, [relay = m_relay] { relay->tell(); });
            lock.lock();
            m_client = std::move(opened);
            if (m_client) {
                lock.unlock();
                announceChange();
                lock.lock();
            }
        }
        const auto woken = [this] { return m_woken || m_stopping; };
        if (m_client)
            m_wake.wait(lock, woken); // the client tells when its server goes
        else
            m_wake.wait_for(lock, LookForServerEvery, woken);
        m_woken = false;
    }
}

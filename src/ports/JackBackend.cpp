#include "JackBackend.h"

#include "JackClient.h"
#include "PortError.h"

#include <utility>

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
    bool isAlive() const override { return m_client->isConnected(m_slot); }

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

JackBackend::JackBackend()
    // The first look is made at once, so that the lists read at start-up hold JACK's ports.
    : m_client(openClient())
    , m_watcher(&JackBackend::watch, this)
{ }

JackBackend::~JackBackend()
{
    m_stopping = true;
    m_news->release();
    m_watcher.join();
    if (m_client)
        m_client->closeIfDead();
    m_client.reset();
}

std::shared_ptr<JackClient> JackBackend::openClient() const
{
    return JackClient::open(ClientName, [news = m_news] { news->release(); });
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

// Connects while a server answers, and tells of every change: the client's news, the
// client going or coming, a look asked for.
void JackBackend::watch()
{
    bool news = false;
    while (!m_stopping) {
        if (reconnect() || news)
            announceChange();
        news = waitForNews();
    }
}

// A client whose server went is closed at once, before any new one is opened (the JACK
// library crashes otherwise); true when a client went or came.
bool JackBackend::reconnect()
{
    std::shared_ptr<JackClient> gone;
    {
        std::lock_guard lock(m_mutex);
        if (m_client && !m_client->isAlive())
            gone = std::exchange(m_client, nullptr);
        else if (m_client)
            return false;
    }
    if (gone)
        gone->closeIfDead();
    auto opened = openClient();
    const bool came = opened != nullptr;
    std::lock_guard lock(m_mutex);
    m_client = std::move(opened);
    return gone || came;
}

// Without a client, a server is looked for every second. A burst of news is one change.
bool JackBackend::waitForNews()
{
    bool news = true;
    if (client())
        m_news->acquire();
    else
        news = m_news->try_acquire_for(LookForServerEvery);
    while (m_news->try_acquire()) { }
    return news;
}

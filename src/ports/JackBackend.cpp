#include "JackBackend.h"

#include "BridgePortNames.h"
#include "JackClient.h"
#include "PortError.h"

#include <functional>
#include <future>
#include <mutex>
#include <semaphore>
#include <thread>
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
    std::uint64_t pending() const override { return m_client->pending(m_slot); }
    bool timeWriting() override
    {
        m_client->timeWriting(m_slot);
        return true;
    }
    std::optional<Written> nextWritten() override { return m_client->nextWritten(m_slot); }
};

} // namespace

// What the backend and its watcher thread share. The thread holds it too, so that it can
// be left waiting for a server that does not answer while the backend goes.
struct JackBackend::Watch
{
    using News = std::counting_semaphore<>;

    // Released for each change the client tells of, by lookNow() and at the end. A client
    // can outlive the watch while a port of it is being closed, so it holds this too.
    std::shared_ptr<News> news = std::make_shared<News>(0);
    // Set before `news` is released for anything but a connection made or broken, so that
    // the news of connections alone leaves the device lists and the ports that follow their
    // devices alone.
    std::shared_ptr<std::atomic<bool>> portNews = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex;
    std::shared_ptr<JackClient> client; // guarded by mutex
    std::function<void()> announce; // guarded by mutex; empty once the backend has gone
    std::function<void()> announceConnections; // as announce
    std::atomic<bool> stopping = false;
    std::atomic<bool> looked = false; // the first look at the server is over
    std::promise<void> firstLook;
    std::promise<void> ended;

    std::shared_ptr<JackClient> openClient() const
    {
        return JackClient::open(
            ClientName,
            [news = news, portNews = portNews] {
                portNews->store(true);
                news->release();
            },
            [news = news] { news->release(); });
    }
    void run();
    bool reconnect();
    bool waitForNews();
    void tell();
    void tellConnections();
};

// Connects while a server answers, and tells of every change: the client's news, the
// client going or coming, a look asked for.
void JackBackend::Watch::run()
{
    bool changed = false;
    while (!stopping) {
        changed = reconnect() || changed;
        if (!looked.exchange(true))
            firstLook.set_value();
        if (changed)
            tell();
        changed = waitForNews();
        if (changed && !portNews->exchange(false)) {
            tellConnections();
            changed = false;
        }
    }
    // Closing the client may wait on the server too: here, never in the backend's thread,
    // and without the lock the backend takes.
    std::shared_ptr<JackClient> last;
    {
        std::lock_guard lock(mutex);
        last = std::exchange(client, nullptr);
    }
    if (last)
        last->closeIfDead();
}

void JackBackend::Watch::tell()
{
    std::lock_guard lock(mutex);
    if (announce)
        announce();
}

void JackBackend::Watch::tellConnections()
{
    std::lock_guard lock(mutex);
    if (announceConnections)
        announceConnections();
}

// A client whose server went is closed at once, before any new one is opened (the JACK
// library crashes otherwise); true when a client went or came.
bool JackBackend::Watch::reconnect()
{
    std::shared_ptr<JackClient> gone;
    {
        std::lock_guard lock(mutex);
        if (client && !client->isAlive())
            gone = std::exchange(client, nullptr);
        else if (client)
            return false;
    }
    if (gone)
        gone->closeIfDead();
    auto opened = openClient();
    const bool came = opened != nullptr;
    std::lock_guard lock(mutex);
    client = std::move(opened);
    return gone || came;
}

// Without a client, a server is looked for every second. A burst of news is one change.
bool JackBackend::Watch::waitForNews()
{
    bool told = true;
    bool connected = false;
    {
        std::lock_guard lock(mutex);
        connected = client != nullptr;
    }
    if (connected)
        news->acquire();
    else
        told = news->try_acquire_for(LookForServerEvery);
    while (news->try_acquire()) { }
    return told;
}

JackBackend::JackBackend()
    : m_watch(std::make_shared<Watch>())
{
    m_watch->announce = [this] { announceChange(); };
    m_watch->announceConnections = [this] { announceConnectionChange(); };
    std::future<void> firstLook = m_watch->firstLook.get_future();
    std::thread([watch = m_watch] {
        watch->run();
        watch->ended.set_value();
    }).detach();
    // The lists read at start-up hold JACK's ports, unless the server does not answer.
    firstLook.wait_for(AnswerWithin);
}

JackBackend::~JackBackend()
{
    {
        std::lock_guard lock(m_watch->mutex);
        m_watch->announce = nullptr;
        m_watch->announceConnections = nullptr;
    }
    m_watch->stopping = true;
    m_watch->news->release();
    // A watcher stuck with a server that does not answer is left to end by itself; one that
    // never got its first answer is not waited for at all.
    if (m_watch->looked)
        m_watch->ended.get_future().wait_for(AnswerWithin);
}

bool JackBackend::serverAnswers()
{
    return JackClient::open("Lumetra probe", [] {}) != nullptr;
}

void JackBackend::lookNow()
{
    m_watch->portNews->store(true);
    m_watch->news->release();
}

QString JackBackend::notice() const
{
    return m_watch->looked ? QString()
                           : QStringLiteral("The JACK server does not answer; its ports are "
                                            "listed once it does.");
}

QString JackBackend::label() const
{
    return QStringLiteral("JACK");
}

std::shared_ptr<JackClient> JackBackend::client() const
{
    std::lock_guard lock(m_watch->mutex);
    const auto &client = m_watch->client;
    return client && client->isAlive() ? client : nullptr;
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
    return live ? BridgePortNames::listed(live->otherPorts(direction == PortDirection::Input))
                : QStringList();
}

QStringList JackBackend::feedersOf(const QString &portName)
{
    const auto live = client();
    if (!live)
        return {};
    const QStringList jackNames = live->otherPorts(true);
    const QStringList listed = BridgePortNames::listed(jackNames);
    QStringList feeders;
    for (const QString &feeder :
        live->otherPortsConnectedTo(jackName(*live, portName, PortDirection::Output)))
        if (const qsizetype at = jackNames.indexOf(feeder); at >= 0)
            feeders << listed[at];
    return feeders;
}

// A port is opened by the name it is listed under: the JACK name it stands for now, which
// for a bridged ALSA port may have changed since it was chosen.
QString JackBackend::jackName(JackClient &live, const QString &name, PortDirection direction)
{
    const QString found
        = BridgePortNames::jackNameOf(name, live.otherPorts(direction == PortDirection::Input));
    return found.isEmpty() ? name : found;
}

std::unique_ptr<InputConnection> JackBackend::openInput(const QString &name, InputSink &sink)
{
    const auto live = requireClient();
    const int slot = live->addInput(
        sink, QStringLiteral("MIDI In"), jackName(*live, name, PortDirection::Input));
    return std::make_unique<JackInput>(live, slot);
}

std::unique_ptr<OutputConnection> JackBackend::openOutput(const QString &name)
{
    const auto live = requireClient();
    const int slot
        = live->addOutput(QStringLiteral("MIDI Out"), jackName(*live, name, PortDirection::Output));
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

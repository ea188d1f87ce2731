#pragma once

#include "PortBackend.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>

class JackClient;

// The MIDI ports of a JACK server, through a client of our own. The server may start, stop
// and restart while Lumetra runs: the backend connects whenever one answers, and tells of
// every change. When the server goes, every open port goes with it.
class JackBackend : public PortBackend
{
public:
    JackBackend();
    ~JackBackend() override;

    // Whether a JACK server answers, asked without the JACK library's complaints on stderr.
    static bool serverAnswers();

    QString label() const override;
    // Whether a client of ours is connected to a running server now.
    bool isConnected() const { return client() != nullptr; }
    void lookNow() override { m_news->release(); }
    QStringList portNames(PortDirection direction) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

    // A port of Lumetra's own under `portName`, for other programs to connect to.
    std::unique_ptr<InputConnection> openOwnInput(const QString &portName, InputSink &sink);
    std::unique_ptr<OutputConnection> openOwnOutput(const QString &portName);

private:
    using News = std::counting_semaphore<>;

    std::shared_ptr<JackClient> client() const;
    std::shared_ptr<JackClient> requireClient() const;
    std::shared_ptr<JackClient> openClient() const;
    void watch();
    bool reconnect();
    bool waitForNews();

    // Released for each change the client tells of, and by lookNow() and the destructor. A
    // client can outlive the backend while a port of it is still being closed, so it holds
    // the semaphore too.
    std::shared_ptr<News> m_news = std::make_shared<News>(0);
    mutable std::mutex m_mutex;
    std::shared_ptr<JackClient> m_client; // guarded by m_mutex
    std::atomic<bool> m_stopping = false;
    std::thread m_watcher;
};

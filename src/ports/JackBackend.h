#pragma once

#include "PortBackend.h"

#include <memory>

class JackClient;

// The MIDI ports of a JACK server, through a client of our own. The server may start, stop
// and restart while Lumetra runs: the backend connects whenever one answers, and tells of
// every change. When the server goes, every open port goes with it. A server that does not
// answer at all (stopped, not gone) holds no one up: the backend waits for it at most
// AnswerWithin, at start and at exit, and goes on without it meanwhile.
class JackBackend : public PortBackend
{
public:
    static constexpr std::chrono::seconds AnswerWithin {2};

    JackBackend();
    ~JackBackend() override;

    // Whether a JACK server answers, asked without the JACK library's complaints on stderr.
    static bool serverAnswers();

    QString label() const override;
    QString notice() const override;
    // Whether a client of ours is connected to a running server now.
    bool isConnected() const { return client() != nullptr; }
    void lookNow() override;
    QStringList portNames(PortDirection direction) override;
    bool tapsPorts() const override { return true; }
    QStringList feedersOf(const QString &portName) override;
    std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) override;
    std::unique_ptr<OutputConnection> openOutput(const QString &name) override;

    // A port of Lumetra's own under `portName`, for other programs to connect to.
    std::unique_ptr<InputConnection> openOwnInput(const QString &portName, InputSink &sink);
    std::unique_ptr<OutputConnection> openOwnOutput(const QString &portName);

private:
    struct Watch;

    std::shared_ptr<JackClient> client() const;
    std::shared_ptr<JackClient> requireClient() const;
    static QString jackName(JackClient &live, const QString &name, PortDirection direction);

    // Shared with the watcher thread, which may outlive the backend while it waits for a
    // server that does not answer.
    std::shared_ptr<Watch> m_watch;
};

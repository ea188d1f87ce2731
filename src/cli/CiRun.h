#pragma once

#include "ToolOptions.h"
#include "ci/CiMessage.h"
#include "ci/ExchangeTracker.h"
#include "ports/Midi1Reading.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class MIDIInput;
class MIDIOutput;
class PortSystem;

// Asks the devices on a path who they are (Discovery) and, for a Get, asks the first that
// offers Property Exchange for a resource; ends once the answer is whole, or when the time
// for answers is over.
class CiRun : public QObject
{
    Q_OBJECT

public:
    struct Responder
    {
        std::uint32_t muid;
        ci::Identity identity;
    };
    struct PropertyReply
    {
        std::uint32_t muid;
        std::string header; // JSON, as it came
        std::vector<std::uint8_t> body; // decoded
    };

    CiRun(std::shared_ptr<PortSystem> ports, CiOptions options, QObject *parent = nullptr);
    ~CiRun() override;

    // Opens both ports and sends the Discovery once control is back in the event loop.
    // Throws PortError.
    void start();
    void stop() { end(); }

    const std::vector<Responder> &responders() const { return m_responders; }
    const std::optional<PropertyReply> &reply() const { return m_reply; }
    // Why the run could not get what it was asked for; empty when it did.
    QString failure() const { return m_failure; }

signals:
    void finished();

private:
    static constexpr std::uint32_t MaxSysExSize = 4096;

    void sendDiscovery();
    void send(const std::vector<std::uint8_t> &message);
    void takeArrivals();
    void take(std::span<const std::uint8_t> message);
    void takeDiscoveryReply(const ci::Message &message);
    void takePropertyReply(std::span<const std::uint8_t> bytes);
    void end(const QString &failure = {});

    std::shared_ptr<PortSystem> m_ports;
    const CiOptions m_options;
    std::unique_ptr<MIDIOutput> m_output;
    std::unique_ptr<MIDIInput> m_input;
    Midi1Reading m_midi1; // what m_input queues, as MIDI 1.0
    QTimer m_timeout;
    QTimer m_rediscover;
    std::uint32_t m_muid = 0;
    std::optional<std::uint32_t> m_asked; // the responder Property Exchange goes to
    bool m_getSent = false;
    ci::ExchangeTracker m_exchanges;
    std::vector<Responder> m_responders;
    std::optional<PropertyReply> m_reply;
    QString m_failure;
    bool m_ended = false;
};

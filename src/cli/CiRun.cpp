#include "CiRun.h"

#include "ci/CiParser.h"
#include "ci/CiWords.h"
#include "ci/Initiator.h"
#include "ci/PropertyHeader.h"
#include "decode/ManufacturerNames.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"

#include <algorithm>

namespace {

constexpr std::uint8_t RequestId = 1;
constexpr std::uint8_t PropertyExchange = 0x08; // of the categories a device supports

} // namespace

CiRun::CiRun(std::shared_ptr<PortSystem> ports, CiOptions options, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_options(std::move(options))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { end(); });
    // A path may carry nothing until its connections are made: the Discovery goes again
    // until a device answers, and every device answers the one that got through.
    m_rediscover.setInterval(500);
    connect(&m_rediscover, &QTimer::timeout, this, &CiRun::sendDiscovery);
}

CiRun::~CiRun() = default;

void CiRun::start()
{
    const QStringList outputs = m_ports->names(PortDirection::Output);
    if (!outputs.contains(m_options.outputName))
        throw PortError(
            QStringLiteral("There is no MIDI output named \"%1\".").arg(m_options.outputName));
    m_output = std::make_unique<MIDIOutput>(m_ports);
    m_output->setDeviceIndex(std::int16_t(outputs.indexOf(m_options.outputName)));
    m_output->setCommand(CommandOpen);
    m_input = std::make_unique<MIDIInput>(m_ports);
    m_input->watch(m_options.inputName);
    connect(m_input.get(), &MIDIInput::MessagesWaiting, this, &CiRun::takeArrivals);
    m_muid = ci::Initiator::newMuid();
    QTimer::singleShot(0, this, &CiRun::sendDiscovery);
    m_rediscover.start();
    m_timeout.start(m_options.wait);
}

void CiRun::sendDiscovery()
{
    if (!m_ended)
        send(ci::Initiator::discovery(m_muid, MaxSysExSize));
}

void CiRun::send(const std::vector<std::uint8_t> &message)
{
    try {
        sendMessage(*m_output, message);
    } catch (const PortError &error) {
        end(error.description());
    }
}

void CiRun::takeArrivals()
{
    while (const MidiMessage *message = m_input ? m_input->currentMessage() : nullptr) {
        // A copy that shares the bytes: the drop below destroys the queued one.
        const MidiMessage taken = *message;
        m_input->setCommand(CommandDropCurrent);
        m_midi1.read(taken, [this](std::span<const std::uint8_t> bytes) { take(bytes); });
    }
}

// Only what is addressed to this run counts: other initiators may be talking on the path.
void CiRun::take(std::span<const std::uint8_t> bytes)
{
    if (m_ended || !ci::isCapabilityInquiry(bytes))
        return;
    const ci::Reading reading = ci::parse(bytes);
    if (!reading.message || reading.message->header.destination != m_muid)
        return;
    const ci::Header &header = reading.message->header;
    if (header.subId == 0x71)
        takeDiscoveryReply(*reading.message);
    if (!m_asked || header.source != *m_asked)
        return;
    if (header.subId == 0x31 && !m_getSent) {
        m_getSent = true;
        send(ci::Initiator::propertyGet(
            m_muid, *m_asked, RequestId, m_options.resource.toLatin1().toStdString()));
    } else if (header.subId == 0x35
        && std::get<ci::PropertyData>(reading.message->payload).requestId == RequestId) {
        takePropertyReply(bytes);
    } else if (header.subId == 0x7F) {
        end(QStringLiteral("The device answered with %1.")
                .arg(QString::fromStdString(ci::describe(bytes, ManufacturerNames::ofPadded))));
    }
}

void CiRun::takeDiscoveryReply(const ci::Message &message)
{
    const std::uint32_t muid = message.header.source;
    if (std::ranges::any_of(m_responders, [muid](const Responder &r) { return r.muid == muid; }))
        return;
    const auto &identity = std::get<ci::Identity>(message.payload);
    m_responders.push_back({muid, identity});
    m_rediscover.stop();
    if (m_options.action != CiOptions::Action::Get || m_asked
        || !(identity.categories & PropertyExchange))
        return;
    // Property Exchange begins with its capabilities; the Get follows their reply.
    m_asked = muid;
    send(ci::Initiator::propertyCapabilities(m_muid, muid));
}

void CiRun::takePropertyReply(std::span<const std::uint8_t> bytes)
{
    const auto context = m_exchanges.take(bytes);
    if (!context)
        return;
    if (context->missingChunk)
        end(QStringLiteral("Chunk %1 of the reply never came.").arg(*context->missingChunk));
    else if (!context->problem.empty())
        end(QStringLiteral("The reply's body could not be read: %1.")
                .arg(QString::fromStdString(context->problem)));
    else if (context->complete) {
        m_reply
            = PropertyReply {*m_asked, m_exchanges.completedHeader(), m_exchanges.completedBody()};
        end();
    }
}

void CiRun::end(const QString &failure)
{
    if (m_ended)
        return;
    m_ended = true;
    m_failure = failure;
    m_timeout.stop();
    m_rediscover.stop();
    m_input.reset();
    m_output.reset();
    emit finished();
}

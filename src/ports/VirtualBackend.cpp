#include "VirtualBackend.h"

#include "JackBackend.h"
#include "PortError.h"
#include "RtMidiBackend.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

namespace {

// Whether there are parts and all are alive, and JACK among them whenever a server runs: a
// port opened while a system was away gives way, to be opened again with its half too.
template<typename Part>
bool whole(const std::vector<std::unique_ptr<Part>> &parts, const JackBackend *jack, bool hasJack)
{
    return !parts.empty()
        && std::ranges::all_of(parts, [](const auto &part) { return part->isAlive(); })
        && (hasJack || !jack || !jack->isConnected());
}

// The ports of both systems as one; each part's thread hands its bytes over in turn.
class VirtualInput : public InputConnection, private InputSink
{
public:
    VirtualInput(InputSink &sink, const JackBackend *jack)
        : m_sink(sink)
        , m_jack(jack)
    { }
    ~VirtualInput() override { m_parts.clear(); } // before the lock they use goes

    InputSink &partSink() { return *this; }
    void add(std::unique_ptr<InputConnection> part, bool jack)
    {
        m_parts.push_back(std::move(part));
        m_hasJack = m_hasJack || jack;
    }
    bool isAlive() const override { return whole(m_parts, m_jack, m_hasJack); }

private:
    void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.receive(bytes, arrival);
    }
    void receiveUmp(const Ump::Packet &packet, Clock::time_point arrival) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.receiveUmp(packet, arrival);
    }
    void lost(std::uint64_t messages) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.lost(messages);
    }
    void missedCycles(std::uint64_t cycles) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.missedCycles(cycles);
    }

    InputSink &m_sink;
    const JackBackend *m_jack;
    bool m_hasJack = false;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<InputConnection>> m_parts;
};

class VirtualOutput : public OutputConnection
{
public:
    explicit VirtualOutput(const JackBackend *jack)
        : m_jack(jack)
    { }
    void add(std::unique_ptr<OutputConnection> part, bool jack)
    {
        m_parts.push_back(std::move(part));
        m_hasJack = m_hasJack || jack;
    }
    bool isAlive() const override { return whole(m_parts, m_jack, m_hasJack); }
    // Every part gets the message, also when another could not take it.
    void send(std::span<const std::uint8_t> bytes) override
    {
        const Clock::time_point handedOver = Clock::now();
        QStringList failures;
        for (const auto &part : m_parts) {
            try {
                part->send(bytes);
                if (part.get() == m_timedPart && m_parts.size() > 1)
                    m_handedOver.push_back(handedOver);
            } catch (const PortError &error) {
                failures << error.description();
            }
        }
        if (!failures.isEmpty())
            throw PortError(failures.join(u' '));
    }

    // The JACK part writes a message at the start of a later cycle, and arrivals through JACK
    // are stamped by their cycle: the moment it wrote is when the message left, not the
    // hand-over. A part that sends at once sent it at the hand-over: with one, the message
    // left at the earlier of the two moments.
    bool timeWriting() override
    {
        m_timedPart = nullptr;
        m_handedOver.clear();
        m_reported = 0;
        for (const auto &part : m_parts)
            if (!m_timedPart && part->timeWriting())
                m_timedPart = part.get();
        return m_timedPart != nullptr;
    }
    std::optional<Written> nextWritten() override
    {
        std::optional<Written> written = m_timedPart ? m_timedPart->nextWritten() : std::nullopt;
        if (!written || m_handedOver.empty())
            return written;
        // The first message of the report was handed over before the others.
        written->at = std::min(written->at, m_handedOver.front());
        for (; m_reported < written->count && !m_handedOver.empty(); ++m_reported)
            m_handedOver.pop_front();
        return written;
    }

private:
    using Clock = std::chrono::steady_clock;

    const JackBackend *m_jack;
    bool m_hasJack = false;
    std::vector<std::unique_ptr<OutputConnection>> m_parts;
    OutputConnection *m_timedPart = nullptr; // the part that tells when it wrote
    // Of the messages the timed part took and has not reported, while another part sends too.
    std::deque<Clock::time_point> m_handedOver;
    std::uint64_t m_reported = 0;
};

// Opens what each system can. A port with no part yet is not alive: the input or output
// then waits for a system to come, as it waits for a device that went.
template<typename Connection, typename Open>
void openPart(Connection &whole, bool jack, Open open)
{
    try {
        if (auto part = open())
            whole.add(std::move(part), jack);
    } catch (const PortError &) {
        // That system is not there (now): the others may be.
    }
}

} // namespace

VirtualBackend::VirtualBackend(JackBackend *jack, RtMidiBackend *alsa)
    : m_jack(jack)
    , m_alsa(alsa)
{ }

QStringList VirtualBackend::portNames(PortDirection direction)
{
    return {direction == PortDirection::Input ? InputName : OutputName};
}

std::unique_ptr<InputConnection> VirtualBackend::openInput(const QString &name, InputSink &sink)
{
    auto input = std::make_unique<VirtualInput>(sink, m_jack);
    if (m_jack)
        openPart(*input, true, [&] {
            return m_jack->openOwnInput(QStringLiteral("virtual input"), input->partSink());
        });
    if (m_alsa)
        openPart(*input, false, [&] { return m_alsa->openOwnInput(name, input->partSink()); });
    return input;
}

std::unique_ptr<OutputConnection> VirtualBackend::openOutput(const QString &name)
{
    auto output = std::make_unique<VirtualOutput>(m_jack);
    if (m_jack)
        openPart(
            *output, true, [&] { return m_jack->openOwnOutput(QStringLiteral("virtual output")); });
    if (m_alsa)
        openPart(*output, false, [&] { return m_alsa->openOwnOutput(name); });
    return output;
}

#include "VirtualBackend.h"

#include "JackBackend.h"
#include "PortError.h"
#include "RtMidiBackend.h"

#include <mutex>
#include <vector>

namespace {

// The ports of both systems as one; each part's thread hands its bytes over in turn.
class VirtualInput : public InputConnection, private InputSink
{
public:
    explicit VirtualInput(InputSink &sink)
        : m_sink(sink)
    { }
    ~VirtualInput() override { m_parts.clear(); } // before the lock they use goes

    InputSink &partSink() { return *this; }
    void add(std::unique_ptr<InputConnection> part) { m_parts.push_back(std::move(part)); }
    bool isEmpty() const { return m_parts.empty(); }
    bool isAlive() const override
    {
        return std::ranges::all_of(m_parts, [](const auto &part) { return part->isAlive(); });
    }

private:
    void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.receive(bytes, arrival);
    }
    void lost(std::uint64_t messages) override
    {
        std::lock_guard lock(m_mutex);
        m_sink.lost(messages);
    }

    InputSink &m_sink;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<InputConnection>> m_parts;
};

class VirtualOutput : public OutputConnection
{
public:
    void add(std::unique_ptr<OutputConnection> part) { m_parts.push_back(std::move(part)); }
    bool isEmpty() const { return m_parts.empty(); }
    bool isAlive() const override
    {
        return std::ranges::all_of(m_parts, [](const auto &part) { return part->isAlive(); });
    }
    void send(std::span<const std::uint8_t> bytes) override
    {
        for (const auto &part : m_parts)
            part->send(bytes);
    }

private:
    std::vector<std::unique_ptr<OutputConnection>> m_parts;
};

// Opens what each system can; refuses only when none could, with every reason.
template<typename Connection, typename Open>
void openParts(Connection &whole, QStringList &reasons, Open open)
{
    try {
        if (auto part = open())
            whole.add(std::move(part));
    } catch (const PortError &error) {
        reasons << error.description();
    }
}

void requireAPart(bool empty, const QString &name, const QStringList &reasons)
{
    if (empty)
        throw PortError(QStringLiteral("Cannot open \"%1\": %2")
                            .arg(name,
                                reasons.isEmpty() ? QStringLiteral(
                                    "there is neither a JACK server nor an ALSA sequencer.")
                                                  : reasons.join(u' ')));
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
    auto input = std::make_unique<VirtualInput>(sink);
    QStringList reasons;
    if (m_jack)
        openParts(*input, reasons, [&] {
            return m_jack->openOwnInput(QStringLiteral("virtual input"), input->partSink());
        });
    if (m_alsa)
        openParts(*input, reasons, [&] { return m_alsa->openOwnInput(name, input->partSink()); });
    requireAPart(input->isEmpty(), name, reasons);
    return input;
}

std::unique_ptr<OutputConnection> VirtualBackend::openOutput(const QString &name)
{
    auto output = std::make_unique<VirtualOutput>();
    QStringList reasons;
    if (m_jack)
        openParts(*output, reasons,
            [&] { return m_jack->openOwnOutput(QStringLiteral("virtual output")); });
    if (m_alsa)
        openParts(*output, reasons, [&] { return m_alsa->openOwnOutput(name); });
    requireAPart(output->isEmpty(), name, reasons);
    return output;
}

#include "LoopTest.h"

#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"

#include <algorithm>
#include <array>
#include <cmath>

using Clock = std::chrono::steady_clock;

namespace {

// A message no run sends (its channel messages leave Note On out): copies of it that come
// back late are known and left out.
constexpr std::array<std::uint8_t, 3> Probe = {0x90, 0x7F, 0x7F};

} // namespace

LoopTest::LoopTest(std::shared_ptr<PortSystem> ports, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
{
    // A timer of a millisecond: messages due meanwhile go out together, each stamped when
    // it is handed over, so that the pace does not colour the latency.
    m_pace.setTimerType(Qt::PreciseTimer);
    m_pace.setInterval(1);
    connect(&m_pace, &QTimer::timeout, this, &LoopTest::tick);
    m_progress.setInterval(250);
    connect(&m_progress, &QTimer::timeout, this, &LoopTest::progressed);
}

LoopTest::~LoopTest() = default;

void LoopTest::openPorts(const LoopReport::Path &path)
{
    if (m_input && m_output && m_openPath == path)
        return;
    m_input.reset();
    m_output.reset();
    const QStringList outputs = m_ports->names(PortDirection::Output);
    const QStringList inputs = m_ports->names(PortDirection::Input);
    if (!outputs.contains(path.output))
        throw PortError(QStringLiteral("There is no MIDI output named \"%1\".").arg(path.output));
    if (!inputs.contains(path.input))
        throw PortError(QStringLiteral("There is no MIDI input named \"%1\".").arg(path.input));
    m_output = std::make_unique<MIDIOutput>(m_ports);
    m_output->setDeviceIndex(std::int16_t(outputs.indexOf(path.output)));
    m_output->setCommand(CommandOpen);
    m_output->timeWriting();
    m_input = std::make_unique<MIDIInput>(m_ports);
    m_input->watch(path.input);
    connect(m_input.get(), &MIDIInput::MessagesWaiting, this, &LoopTest::takeArrivals);
    m_openPath = path;
    m_writtenBefore = 0;
}

void LoopTest::holdPorts(const LoopReport::Path &path)
{
    if (isRunning())
        return;
    m_held = true;
    openPorts(path);
}

void LoopTest::releasePorts()
{
    m_held = false;
    if (!isRunning()) {
        m_input.reset();
        m_output.reset();
    }
}

void LoopTest::start(const LoopReport::Path &path, const LoopSettings &settings)
{
    stop();
    openPorts(path);
    // What came to ports held open before the run is no part of it.
    dropWaiting();
    m_xrunsBefore = m_input->XrunCount();
    m_path = path;
    m_settings = settings;
    m_settings.rate = std::max(settings.rate, 1);
    m_mix = settings.pattern == LoopSettings::Pattern::SysEx ? LoadMessages::Mix::SysEx
                                                             : LoadMessages::Mix::Channel;
    m_settings.sysExSize
        = std::clamp(settings.sysExSize, LoadMessages::SmallestSysEx, LoadMessages::LargestSysEx);
    m_tally.emplace(m_mix, m_settings.sysExSize);
    m_total = dueBy(m_settings.seconds);
    m_message.resize(std::max<std::size_t>(3, m_settings.sysExSize));
    m_lastSent.reset();
    m_failure.clear();
    m_probing = true;
    m_probesSent = 0;
    m_start = Clock::now();
    m_taking = true;
    m_pace.start();
    m_progress.start();
    tick();
}

void LoopTest::dropWaiting()
{
    while (m_input->currentMessage())
        m_input->setCommand(CommandDropCurrent);
    while (const std::optional<OutputConnection::Written> written = m_output->nextWritten())
        m_writtenBefore = written->count;
}

// Messages due from the start up to `seconds` later.
std::uint64_t LoopTest::dueBy(double seconds) const
{
    const auto rate = std::uint64_t(m_settings.rate);
    if (m_settings.pattern == LoopSettings::Pattern::Burst)
        return (std::uint64_t(seconds) + 1) * rate;
    return std::uint64_t(std::floor(seconds * double(rate))) + 1;
}

void LoopTest::tick()
{
    const Clock::time_point now = Clock::now();
    takeWrittenMoments();
    if (!m_probing) {
        sendDue(now);
    } else if (now - m_start > Patience) {
        finish(QStringLiteral("Nothing came back on \"%1\" within %2 s of the first message sent "
                              "to \"%3\".")
                   .arg(m_path.input)
                   .arg(Patience.count())
                   .arg(m_path.output));
    } else {
        probe(now);
    }
}

void LoopTest::probe(Clock::time_point now)
{
    if (m_lastSent && now - *m_lastSent < ProbeInterval)
        return;
    try {
        sendMessage(*m_output, Probe);
        m_lastSent = now;
        ++m_probesSent;
    } catch (const PortError &error) {
        finish(QStringLiteral("Sending to \"%1\" failed: %2").arg(m_path.output, error.what()));
    }
}

void LoopTest::sendDue(Clock::time_point now)
{
    const double elapsed = std::chrono::duration<double>(now - m_start).count();
    const std::uint64_t due = std::min(dueBy(elapsed), m_total);
    try {
        for (std::uint64_t next = m_tally->sentCount(); next < due; ++next) {
            const std::size_t size
                = LoadMessages::writeMessage(m_mix, next, m_settings.sysExSize, m_message);
            // Stamped as handed over: a loopback delivers before the send returns. A port
            // that writes later tells when, and the stamp moves there.
            const Clock::time_point handedOver = Clock::now();
            sendMessage(*m_output, std::span(m_message).first(size));
            m_lastSent = handedOver;
            m_tally->sent(sinceStartUs(handedOver));
        }
    } catch (const PortError &error) {
        finish(QStringLiteral("Sending to \"%1\" failed: %2").arg(m_path.output, error.what()));
        return;
    }
    const bool allSent = m_tally->sentCount() == m_total;
    if (allSent && (m_tally->receivedCount() == m_total || now - *m_lastSent > Patience))
        finish();
}

void LoopTest::takeArrivals()
{
    if (!m_input)
        return;
    if (!m_taking)
        return dropWaiting();
    // A message comes back only after its port told when it was written: the tally knows
    // that moment before it takes the message.
    takeWrittenMoments();
    while (const MidiMessage *message = m_input->currentMessage()) {
        m_midi1.read(*message, [this, message](std::span<const std::uint8_t> bytes) {
            take(bytes, message->arrival);
        });
        m_input->setCommand(CommandDropCurrent);
    }
}

void LoopTest::take(std::span<const std::uint8_t> message, Clock::time_point arrival)
{
    if (!std::ranges::equal(message, Probe)) {
        if (!m_probing)
            m_tally->received(message, sinceStartUs(arrival));
        return;
    }
    // The path answers: the run begins, with the next tick.
    if (std::exchange(m_probing, false)) {
        m_start = Clock::now();
        m_lastSent.reset();
    }
}

void LoopTest::takeWrittenMoments()
{
    if (!m_output)
        return;
    while (const std::optional<OutputConnection::Written> written = m_output->nextWritten()) {
        // The probes all go before the numbered messages.
        if (written->count > m_writtenBefore + m_probesSent)
            m_tally->wentOut(
                written->count - m_writtenBefore - m_probesSent, sinceStartUs(written->at));
    }
}

std::int64_t LoopTest::sinceStartUs(Clock::time_point moment) const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(moment - m_start).count();
}

void LoopTest::stop()
{
    if (isRunning())
        finish();
}

void LoopTest::finish(const QString &failure)
{
    m_pace.stop();
    m_progress.stop();
    takeArrivals();
    m_taking = false;
    m_failure = failure;
    m_xruns = m_input ? m_input->XrunCount() - m_xrunsBefore : 0;
    if (!m_held) {
        m_input.reset();
        m_output.reset();
    }
    emit progressed();
    emit finished();
}

LoopResults LoopTest::results() const
{
    if (!m_tally)
        return {};
    LoopResults results = m_tally->results();
    results.failure = m_failure;
    results.xruns = m_taking ? m_input->XrunCount() - m_xrunsBefore : m_xruns;
    return results;
}

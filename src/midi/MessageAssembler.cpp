#include "MessageAssembler.h"

#include "MidiMessage.h"

#include <algorithm>

namespace {

std::span<const std::uint8_t> asBytes(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
        static_cast<std::size_t>(bytes.size())};
}

} // namespace

MessageAssembler::MessageAssembler(std::size_t largestSysEx)
    : m_largestSysEx(largestSysEx)
{ }

void MessageAssembler::feed(std::span<const std::uint8_t> bytes, Clock::time_point arrival,
    const Deliver &deliver, const Oversize &oversize)
{
    flushStale(arrival, deliver);
    m_arrival = arrival;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::uint8_t byte = bytes[at];
        if (isRealTimeStatus(byte)) {
            deliver(bytes.subspan(at, 1), arrival);
            ++at;
        } else if (isStatusByte(byte)) {
            takeStatus(byte, deliver);
            ++at;
        } else if (m_inSysEx) {
            at += takeSysExData(bytes.subspan(at), oversize);
        } else {
            takeData(byte, deliver);
            ++at;
        }
    }
}

std::optional<MessageAssembler::Clock::time_point> MessageAssembler::heldUntil() const
{
    return m_shortSize > 0 ? std::optional(m_began + HoldLimit) : std::nullopt;
}

void MessageAssembler::flushStale(Clock::time_point now, const Deliver &deliver)
{
    if (const auto until = heldUntil(); until && now >= *until)
        flush(deliver);
}

// A SysEx's data bytes are taken as one run, up to the next status byte.
std::size_t MessageAssembler::takeSysExData(
    std::span<const std::uint8_t> bytes, const Oversize &oversize)
{
    const auto end = std::find_if(bytes.begin(), bytes.end(), isStatusByte);
    const auto run = std::size_t(end - bytes.begin());
    if (!m_discardingSysEx && std::size_t(m_sysEx.size()) + run > m_largestSysEx) {
        m_discardingSysEx = true;
        m_sysEx = QByteArray();
        if (oversize)
            oversize();
    }
    if (!m_discardingSysEx)
        m_sysEx.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(run));
    return run;
}

void MessageAssembler::takeStatus(std::uint8_t status, const Deliver &deliver)
{
    if (status == EndOfSysEx && m_inSysEx) {
        m_sysEx += char(EndOfSysEx);
        flush(deliver);
        return;
    }
    flush(deliver);
    if (isChannelStatus(status))
        m_runningStatus = status;
    else
        m_runningStatus = 0; // system common and SysEx cancel running status
    m_began = m_arrival;
    if (status == SysExStatus) {
        m_inSysEx = true;
        m_sysEx = QByteArray(1, char(SysExStatus));
        return;
    }
    m_short[0] = status;
    m_shortSize = 1;
    m_shortLength = messageLength(status);
    if (m_shortSize == m_shortLength)
        flush(deliver);
}

void MessageAssembler::takeData(std::uint8_t data, const Deliver &deliver)
{
    if (m_shortSize == 0) {
        if (m_runningStatus == 0) {
            deliver(std::span(&data, 1), m_arrival); // nothing to reuse: the byte as it came
            return;
        }
        m_began = m_arrival;
        m_short[0] = m_runningStatus;
        m_shortSize = 1;
        m_shortLength = messageLength(m_runningStatus);
    }
    m_short[std::size_t(m_shortSize++)] = data;
    if (m_shortSize == m_shortLength)
        flush(deliver);
}

void MessageAssembler::flush(const Deliver &deliver)
{
    if (m_inSysEx) {
        m_inSysEx = false;
        m_delivering = std::exchange(m_sysEx, {});
        if (!std::exchange(m_discardingSysEx, false))
            deliver(asBytes(m_delivering), m_began);
        m_delivering = QByteArray();
    } else if (m_shortSize > 0) {
        deliver(std::span(m_short.data(), std::size_t(m_shortSize)), m_began);
        m_shortSize = 0;
    }
}

void MessageAssembler::reset()
{
    m_inSysEx = false;
    m_discardingSysEx = false;
    m_sysEx = QByteArray();
    m_shortSize = 0;
    m_runningStatus = 0;
}

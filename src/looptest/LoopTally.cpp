#include "LoopTally.h"

#include "midi/MidiMessage.h"

#include <algorithm>

using namespace LoadMessages;

LoopTally::LoopTally(Mix mix, std::size_t sysExSize)
    : m_mix(mix)
    , m_sysExSize(sysExSize)
{ }

void LoopTally::sent(std::int64_t atUs)
{
    m_sentAt.push_back(atUs);
    m_seen.push_back(0);
}

void LoopTally::wentOut(std::uint64_t count, std::int64_t atUs)
{
    for (; m_wentOut < std::min<std::uint64_t>(count, m_sentAt.size()); ++m_wentOut)
        m_sentAt[m_wentOut] = atUs;
}

void LoopTally::received(std::span<const std::uint8_t> message, std::int64_t atUs)
{
    if (message.empty())
        return;
    // A path's own traffic (a device's clock or active sensing) is no message of the test.
    if (isRealTimeStatus(message.front())
        || (message.front() > SysExStatus && message.size() <= 3)) {
        ++m_other;
        return;
    }
    if (const std::optional<std::uint64_t> sequence = numberOf(message))
        take(*sequence, message.size(), atUs);
    else
        ++m_altered;
}

// The number of a message of ours as it was sent; nothing for one that was altered.
std::optional<std::uint64_t> LoopTally::numberOf(std::span<const std::uint8_t> message)
{
    std::optional<std::uint64_t> sequence;
    if (message.front() == SysExStatus) {
        const std::optional<SysExHeader> header = sysExHeader(message);
        if (!header || header->size != m_sysExSize || message.size() != m_sysExSize)
            return std::nullopt;
        m_expected.resize(m_sysExSize);
        writeSysEx(header->sequence, m_expected);
        if (!std::ranges::equal(message, m_expected))
            return std::nullopt;
        sequence = header->sequence;
    } else if (const std::optional<std::uint32_t> low = channelNumber(message)) {
        sequence = unwrapChannelNumber(*low, std::uint64_t(m_highest + 1));
    }
    if (!sequence || *sequence >= m_sentAt.size() || kindAt(m_mix, *sequence) == Kind::RealTime)
        return std::nullopt;
    return sequence;
}

void LoopTally::take(std::uint64_t sequence, std::size_t bytes, std::int64_t atUs)
{
    std::uint8_t &seen = m_seen[sequence];
    if (seen > 0) {
        ++m_duplicated;
        return;
    }
    seen = 1;
    ++m_received;
    m_bytes += bytes;
    m_latencies.push_back(atUs - m_sentAt[sequence]);
    m_lastArrivalUs = std::max(m_lastArrivalUs, atUs);
    if (std::int64_t(sequence) < m_highest)
        ++m_outOfOrder;
    m_highest = std::max(m_highest, std::int64_t(sequence));
}

LoopResults LoopTally::results() const
{
    LoopResults results;
    results.sysEx = m_mix == Mix::SysEx;
    results.sent = m_sentAt.size();
    results.received = m_received;
    results.lost = results.sent - m_received;
    results.duplicated = m_duplicated;
    results.outOfOrder = m_outOfOrder;
    results.altered = m_altered;
    results.other = m_other;
    results.bytes = m_bytes;
    if (!m_sentAt.empty() && m_received > 0)
        results.seconds = double(m_lastArrivalUs - m_sentAt.front()) / 1e6;
    results.latency = IntervalStatistics::summarize(m_latencies);
    return results;
}

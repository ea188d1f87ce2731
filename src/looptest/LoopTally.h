#pragma once

#include "LoadMessages.h"
#include "timing/IntervalStatistics.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What a loop test found of a path: how much of what was sent came back, how, how late and
// how fast.
struct LoopResults
{
    // MIDI 1.0 on a cable: 31,250 baud, ten bits a byte.
    static constexpr double CableBytesPerSecond = 3125;

    bool sysEx = false; // the pattern was SysEx dumps
    std::uint64_t sent = 0;
    std::uint64_t received = 0; // numbered messages that came back, each counted once
    std::uint64_t lost = 0; // sent, and not back by the end
    std::uint64_t duplicated = 0;
    std::uint64_t outOfOrder = 0; // came after one with a higher number
    std::uint64_t altered = 0; // came back, but not as they were sent
    std::uint64_t other = 0; // traffic of the path's own (a device's clock, say): not counted
    std::uint64_t bytes = 0; // of the numbered messages that came back
    double seconds = 0; // from the first message sent to the last that came back
    std::optional<IntervalStatistics::Figures> latency; // round trips, in microseconds
    // Cycles a JACK server ran late during the test: what was lost or came twice then may be
    // the server's doing, not the path's.
    std::uint64_t xruns = 0;
    QString failure; // why the test could not measure the path; empty when it could

    // The path kept every message as it was sent, in order.
    bool clean() const
    {
        return failure.isEmpty() && lost == 0 && altered == 0 && duplicated == 0 && outOfOrder == 0;
    }
    double messagesPerSecond() const { return seconds > 0 ? double(received) / seconds : 0; }
    double bytesPerSecond() const { return seconds > 0 ? double(bytes) / seconds : 0; }
};

// Accounts for the numbered messages of a loop test: when each was sent, and what came back
// when. A message that comes back is known by its number; a SysEx must also come back byte
// for byte as it was sent.
class LoopTally
{
public:
    LoopTally(LoadMessages::Mix mix, std::size_t sysExSize);

    // The message of the next number went out at `atUs`.
    void sent(std::int64_t atUs);
    // A port that puts messages on the wire later than it is handed them tells when: the
    // messages numbered below `count` went out by `atUs`, not when they were sent.
    void wentOut(std::uint64_t count, std::int64_t atUs);
    void received(std::span<const std::uint8_t> message, std::int64_t atUs);

    std::uint64_t sentCount() const { return m_sentAt.size(); }
    std::uint64_t receivedCount() const { return m_received; }
    // What came back by now: what has not is counted as lost.
    LoopResults results() const;

private:
    std::optional<std::uint64_t> numberOf(std::span<const std::uint8_t> message);
    void take(std::uint64_t sequence, std::size_t bytes, std::int64_t atUs);

    const LoadMessages::Mix m_mix;
    const std::size_t m_sysExSize;
    std::vector<std::int64_t> m_sentAt; // by number
    std::uint64_t m_wentOut = 0; // the messages whose moment a port told
    std::vector<std::uint8_t> m_seen; // by number: how often it came back, up to 2
    std::vector<std::int64_t> m_latencies;
    std::vector<std::uint8_t> m_expected; // a SysEx as it was sent, to compare with
    std::uint64_t m_received = 0;
    std::uint64_t m_duplicated = 0;
    std::uint64_t m_outOfOrder = 0;
    std::uint64_t m_altered = 0;
    std::uint64_t m_other = 0;
    std::uint64_t m_bytes = 0;
    std::int64_t m_highest = -1;
    std::int64_t m_lastArrivalUs = 0;
};

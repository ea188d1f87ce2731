#pragma once

#include <QByteArray>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// Turns the bytes a backend delivers, in pieces of any size, into whole MIDI messages the
// way MIDI 1.0 reads a byte stream:
// - a real-time byte (F8-FF) is a message of its own at once, also inside another message;
// - any other status byte ends an open message: a SysEx so far, or a message short of data
//   bytes, is passed on as received (no F7 and no data byte invented) and the status begins
//   the next message;
// - an F7 ends an open SysEx; a lone F7 is a message of its own;
// - data bytes after a channel message reuse its status (running status), which a system
//   common or SysEx status cancels; a data byte with no status to reuse is passed on alone;
// - a SysEx goes on across pieces, and so does a message other than SysEx that a piece
//   leaves short of data: backends may split a message, and the next piece of the same port
//   completes it;
// - a message still short of data HoldLimit after its first piece arrived is stale: the
//   device sent no more, and it is passed on as received. A piece that arrives later than
//   that passes it on first; when none comes, the owner calls flushStale() once heldUntil()
//   has passed, so that a message is not held back much longer than that.
// A message is stamped with the arrival of the piece that began it. Every byte comes out
// exactly once, in order. Used on one thread at a time.
class MessageAssembler
{
public:
    using Clock = std::chrono::steady_clock;
    // A message's bytes, and when its first piece arrived.
    using Deliver = std::function<void(std::span<const std::uint8_t>, Clock::time_point)>;
    // Longer than the rest of a three-byte message takes on a MIDI cable (under 1 ms), far
    // shorter than anything a person sees.
    static constexpr std::chrono::microseconds HoldLimit {1000};

    // Called once for a SysEx that outgrew the limit; its bytes are let go up to the next
    // status byte, so that an endless dump cannot eat the memory.
    using Oversize = std::function<void()>;

    explicit MessageAssembler(std::size_t largestSysEx = std::size_t(256) << 20);

    void feed(std::span<const std::uint8_t> bytes, Clock::time_point arrival,
        const Deliver &deliver, const Oversize &oversize = {});
    // A message is under way: a SysEx not yet ended, or a message short of data.
    bool isOpen() const { return m_inSysEx || m_shortSize > 0; }
    // When a message held short of data goes stale; nothing when none is held.
    std::optional<Clock::time_point> heldUntil() const;
    // Passes on a held message that is stale by `now`.
    void flushStale(Clock::time_point now, const Deliver &deliver);
    // Passes on a message still open, as received (a port closes, or the stream ends).
    void flush(const Deliver &deliver);
    // Forgets an open message and the running status.
    void reset();

    // While a SysEx is being delivered: the bytes delivered, to share rather than copy.
    const QByteArray &sysExBeingDelivered() const { return m_delivering; }

private:
    void takeStatus(std::uint8_t status, const Deliver &deliver);
    void takeData(std::uint8_t data, const Deliver &deliver);
    std::size_t takeSysExData(std::span<const std::uint8_t> bytes, const Oversize &oversize);

    const std::size_t m_largestSysEx;
    QByteArray m_sysEx;
    QByteArray m_delivering;
    bool m_inSysEx = false;
    bool m_discardingSysEx = false;
    std::array<std::uint8_t, 3> m_short {}; // a message other than SysEx being assembled
    int m_shortSize = 0;
    int m_shortLength = 0;
    std::uint8_t m_runningStatus = 0;
    Clock::time_point m_arrival; // of the piece being fed
    Clock::time_point m_began; // the arrival of the open message's first piece
};

#pragma once

#include <QByteArray>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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
// - a SysEx goes on across pieces, but a message other than SysEx that a piece leaves short
//   of data is passed on at the end of the piece: backends deliver whole messages, and its
//   missing bytes would otherwise hold it back until some later status byte.
// Every byte comes out exactly once, in order. Used on one thread at a time.
class MessageAssembler
{
public:
    using Deliver = std::function<void(std::span<const std::uint8_t>)>;
    // Called once for a SysEx that outgrew the limit; its bytes are let go up to the next
    // status byte, so that an endless dump cannot eat the memory.
    using Oversize = std::function<void()>;

    explicit MessageAssembler(std::size_t largestSysEx = std::size_t(256) << 20);

    void feed(
        std::span<const std::uint8_t> bytes, const Deliver &deliver, const Oversize &oversize = {});
    // Passes on a message still open, as received (a port closes, or the stream ends).
    void flush(const Deliver &deliver);
    // Forgets an open message and the running status.
    void reset();

    bool isAssemblingSysEx() const { return m_inSysEx; }
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
};

#pragma once

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <span>

// One message as it crossed the wire into an input port.
struct MidiMessage
{
    // When its first byte reached the port, as near the wire as the backend tells.
    std::chrono::steady_clock::time_point arrival;
    // A message other than SysEx: its first byte (normally the status) and up to two data
    // bytes; `size` says how many of the three came.
    std::uint8_t size = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    // A Universal MIDI Packet from a port of UMP, kept whole: its words lie in `sysEx`, most
    // significant byte first, and the three bytes above stay 0. Its words share the array a
    // SysEx takes so that a MIDI 1.0 message costs not a byte more in the queue.
    bool ump = false;
    // A SysEx whole, from F0 on (without F7 when cut short), or a UMP packet's words; else
    // empty.
    QByteArray sysEx;
};

constexpr std::uint8_t SysExStatus = 0xF0;
constexpr std::uint8_t EndOfSysEx = 0xF7;

constexpr bool isStatusByte(std::uint8_t byte)
{
    return byte >= 0x80;
}

constexpr bool isRealTimeStatus(std::uint8_t byte)
{
    return byte >= 0xF8;
}

constexpr bool isChannelStatus(std::uint8_t byte)
{
    return byte >= 0x80 && byte < 0xF0;
}

// Bytes of a whole message that begins with this status, status included; 0 for a SysEx,
// whose end is its F7.
constexpr int messageLength(std::uint8_t status)
{
    if (isChannelStatus(status))
        return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
    switch (status) {
    case SysExStatus:
        return 0;
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    default:
        return 1;
    }
}

// Whether the bytes are one message whole, as a JACK MIDI event must hold them: a status
// with every data byte it takes, or a SysEx from F0 to F7 with only data bytes between.
constexpr bool isWholeMessage(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || !isStatusByte(bytes.front()) || bytes.front() == EndOfSysEx)
        return false;
    const std::span<const std::uint8_t> rest = bytes.subspan(1);
    if (bytes.front() == SysExStatus)
        return !rest.empty() && rest.back() == EndOfSysEx
            && std::none_of(rest.begin(), rest.end() - 1, isStatusByte);
    return int(bytes.size()) == messageLength(bytes.front())
        && std::none_of(rest.begin(), rest.end(), isStatusByte);
}

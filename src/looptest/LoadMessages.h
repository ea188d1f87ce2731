#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The messages of a load run, numbered so that a log of what arrived can be checked message
// by message. Every message has a place in the run, its sequence number; which kind of
// message stands at a place follows from the mix alone, so the checker knows what to expect
// at every place without being told.
//
// - A channel message carries the low 20 bits of its number: bits 0-13 in its data bytes
//   (data 1 the high seven), bits 14-17 in its channel and bits 18-19 in its kind, one of
//   Note Off, Poly Pressure, Control Change and Pitch Bend. Note On is left out because a
//   receiver may show Note On with velocity 0 as a Note Off.
// - A SysEx is F0 7D (the non-commercial ID), its number in five data bytes, its whole size
//   in two, then bytes that count up from the sum of the number's bytes, and F7: any byte
//   that is altered, lost or added breaks the pattern or the size.
// - A real-time byte carries no number; its value follows from its place.
namespace LoadMessages {

enum class Mix : std::uint8_t {
    Channel, // channel messages only
    SysEx, // SysEx only
    RealTime, // real-time bytes only
    Mixed, // mostly channel messages, every 64th a SysEx, every 16th a real-time byte
};

enum class Kind : std::uint8_t { Channel, SysEx, RealTime };

// Channel messages repeat their numbers after this many.
inline constexpr std::uint64_t ChannelNumbers = std::uint64_t(1) << 20;
// The largest number a SysEx can carry, and so the longest run.
inline constexpr std::uint64_t LargestSequence = (std::uint64_t(1) << 35) - 1;
inline constexpr std::size_t SmallestSysEx = 11; // one byte of the pattern at least
inline constexpr std::size_t LargestSysEx = (std::size_t(1) << 14) - 1;

std::optional<Mix> mixNamed(std::string_view name);
std::string_view mixName(Mix mix);

Kind kindAt(Mix mix, std::uint64_t sequence);

std::array<std::uint8_t, 3> channelMessage(std::uint64_t sequence);
// The low 20 bits of the number a channel message of ours carries; nothing for any other
// message.
std::optional<std::uint32_t> channelNumber(std::span<const std::uint8_t> message);
// The sequence number whose low 20 bits are `low`, taken as the nearest to `near`.
std::uint64_t unwrapChannelNumber(std::uint32_t low, std::uint64_t near);

// Fills `out` (SmallestSysEx to LargestSysEx bytes) with the SysEx of `sequence`.
void writeSysEx(std::uint64_t sequence, std::span<std::uint8_t> out);
struct SysExHeader
{
    std::uint64_t sequence;
    std::size_t size;
};
// The number and size a SysEx claims to have; nothing when it does not begin as ours does.
std::optional<SysExHeader> sysExHeader(std::span<const std::uint8_t> message);

std::uint8_t realTimeByte(std::uint64_t sequence);

// Writes the message at `sequence` into `out` (at least max(3, sysExSize) bytes) and
// returns its size.
std::size_t writeMessage(
    Mix mix, std::uint64_t sequence, std::size_t sysExSize, std::span<std::uint8_t> out);

} // namespace LoadMessages

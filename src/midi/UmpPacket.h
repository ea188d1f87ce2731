#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

// One Universal MIDI Packet: one to four 32-bit words, most significant byte first as the
// words are written down. Its size follows from the message type of its first word alone,
// reserved types included, so that a reader of a stream of words never loses its place.
namespace Ump {

enum class MessageType : std::uint8_t {
    Utility = 0x0,
    System = 0x1,
    Midi1ChannelVoice = 0x2,
    Data64 = 0x3,
    Midi2ChannelVoice = 0x4,
    Data128 = 0x5,
    FlexData = 0xD,
    Stream = 0xF,
};

constexpr int wordCountOf(std::uint32_t firstWord)
{
    constexpr std::array<std::uint8_t, 16> counts
        = {1, 1, 1, 2, 2, 4, 1, 1, 2, 2, 2, 3, 3, 4, 4, 4};
    return counts[firstWord >> 28];
}

struct Packet
{
    std::array<std::uint32_t, 4> words = {};
    std::uint8_t size = 1; // in words

    std::uint8_t typeNumber() const { return std::uint8_t(words[0] >> 28); }
    MessageType type() const { return MessageType(typeNumber()); }
    // 1 to 16; none for the types that belong to no group.
    std::optional<int> group() const;

    // The bits `high` down to `low` of word `index`.
    std::uint32_t bits(int index, int high, int low) const
    {
        const std::uint32_t shifted = words[std::size_t(index)] >> low;
        return high - low >= 31 ? shifted : shifted & ((1u << (high - low + 1)) - 1);
    }
    // Byte `index` of the packet counted from the top of word 0.
    std::uint8_t byteAt(int index) const
    {
        return std::uint8_t(words[std::size_t(index / 4)] >> (24 - 8 * (index % 4)));
    }
};

// The packet that begins `words`; nothing when the words end before it does.
std::optional<Packet> packetAt(std::span<const std::uint32_t> words);

// The words of up to 16 bytes, most significant byte first, whatever size their message type
// takes; bytes past the last whole word are left out.
Packet packetOfBytes(std::span<const std::uint8_t> bytes);
// The packet's words, most significant byte first: what packetOfBytes reads back.
QByteArray bytesOf(const Packet &packet);

} // namespace Ump

#include "LoadMessages.h"

#include <algorithm>

namespace LoadMessages {
namespace {

    // Every kind with two data bytes but Note On.
    constexpr std::array<std::uint8_t, 4> ChannelKinds = {0x80, 0xA0, 0xB0, 0xE0};
    // Undefined real-time bytes (F9, FD) and Reset (FF) are left out: a receiver may drop
    // the first or act on the second.
    constexpr std::array<std::uint8_t, 5> RealTimeBytes = {0xF8, 0xFA, 0xFB, 0xFC, 0xFE};
    constexpr std::uint8_t NonCommercialId = 0x7D;
    constexpr std::size_t SequenceBytes = 5;
    constexpr std::size_t SizeBytes = 2;
    constexpr std::size_t PatternStart = 2 + SequenceBytes + SizeBytes;

    constexpr std::array<std::string_view, 4> MixNames = {"channel", "sysex", "realtime", "mixed"};

    // Big-endian, seven bits a byte.
    void writeSevenBits(std::uint64_t value, std::span<std::uint8_t> out)
    {
        for (std::size_t i = out.size(); i-- > 0; value >>= 7)
            out[i] = std::uint8_t(value & 0x7F);
    }

    std::optional<std::uint64_t> readSevenBits(std::span<const std::uint8_t> bytes)
    {
        std::uint64_t value = 0;
        for (const std::uint8_t byte : bytes) {
            if (byte > 0x7F)
                return std::nullopt;
            value = value << 7 | byte;
        }
        return value;
    }

} // namespace

std::optional<Mix> mixNamed(std::string_view name)
{
    const auto found = std::ranges::find(MixNames, name);
    if (found == MixNames.end())
        return std::nullopt;
    return Mix(found - MixNames.begin());
}

std::string_view mixName(Mix mix)
{
    return MixNames[std::size_t(mix)];
}

Kind kindAt(Mix mix, std::uint64_t sequence)
{
    switch (mix) {
    case Mix::Channel:
        return Kind::Channel;
    case Mix::SysEx:
        return Kind::SysEx;
    case Mix::RealTime:
        return Kind::RealTime;
    case Mix::Mixed:
        break;
    }
    // Never two real-time bytes in a row: each one sits between two numbered messages, so
    // its place in a log can be checked.
    if (sequence % 64 == 31)
        return Kind::SysEx;
    return sequence % 16 == 7 ? Kind::RealTime : Kind::Channel;
}

std::array<std::uint8_t, 3> channelMessage(std::uint64_t sequence)
{
    const auto status = std::uint8_t(ChannelKinds[sequence >> 18 & 3] | (sequence >> 14 & 0x0F));
    return {status, std::uint8_t(sequence >> 7 & 0x7F), std::uint8_t(sequence & 0x7F)};
}

std::optional<std::uint32_t> channelNumber(std::span<const std::uint8_t> message)
{
    if (message.size() != 3 || message[1] > 0x7F || message[2] > 0x7F)
        return std::nullopt;
    const auto kind = std::ranges::find(ChannelKinds, std::uint8_t(message[0] & 0xF0));
    if (kind == ChannelKinds.end())
        return std::nullopt;
    return std::uint32_t(kind - ChannelKinds.begin()) << 18 | std::uint32_t(message[0] & 0x0F) << 14
        | std::uint32_t(message[1]) << 7 | message[2];
}

std::uint64_t unwrapChannelNumber(std::uint32_t low, std::uint64_t near)
{
    const auto distance = [near](std::uint64_t n) { return n > near ? n - near : near - n; };
    std::uint64_t best = (near & ~(ChannelNumbers - 1)) + low;
    // The candidates one round before and after may be nearer; one before the first round
    // wraps round to a number too large to be taken.
    for (const std::uint64_t candidate : {best - ChannelNumbers, best + ChannelNumbers}) {
        if (candidate <= LargestSequence && distance(candidate) < distance(best))
            best = candidate;
    }
    return best;
}

void writeSysEx(std::uint64_t sequence, std::span<std::uint8_t> out)
{
    out[0] = 0xF0;
    out[1] = NonCommercialId;
    writeSevenBits(sequence, out.subspan(2, SequenceBytes));
    writeSevenBits(out.size(), out.subspan(2 + SequenceBytes, SizeBytes));
    // Counting up from the sum of the number's bytes: a number altered in any of its bytes
    // gives another start, and a byte lost or added shifts the count.
    std::uint64_t start = 0;
    for (const std::uint8_t byte : out.subspan(2, SequenceBytes))
        start += byte;
    for (std::size_t i = PatternStart; i + 1 < out.size(); ++i)
        out[i] = std::uint8_t((start + i) & 0x7F);
    out.back() = 0xF7;
}

std::optional<SysExHeader> sysExHeader(std::span<const std::uint8_t> message)
{
    if (message.size() < PatternStart || message[0] != 0xF0 || message[1] != NonCommercialId)
        return std::nullopt;
    const auto sequence = readSevenBits(message.subspan(2, SequenceBytes));
    const auto size = readSevenBits(message.subspan(2 + SequenceBytes, SizeBytes));
    if (!sequence || !size || *size < SmallestSysEx)
        return std::nullopt;
    return SysExHeader {*sequence, std::size_t(*size)};
}

std::uint8_t realTimeByte(std::uint64_t sequence)
{
    return RealTimeBytes[sequence % RealTimeBytes.size()];
}

std::size_t writeMessage(
    Mix mix, std::uint64_t sequence, std::size_t sysExSize, std::span<std::uint8_t> out)
{
    switch (kindAt(mix, sequence)) {
    case Kind::Channel:
        std::ranges::copy(channelMessage(sequence), out.begin());
        return 3;
    case Kind::SysEx:
        writeSysEx(sequence, out.first(sysExSize));
        return sysExSize;
    case Kind::RealTime:
        out[0] = realTimeByte(sequence);
        return 1;
    }
    return 0;
}

} // namespace LoadMessages

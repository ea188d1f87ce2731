#pragma once

#include "ChannelMemory.h"
#include "MessageDetails.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

// The Details words of a message read with the controllers sent before it on its channel: a
// 14-bit pair as one value on its LSB, a parameter number with the value its data entry sets,
// the bank of a program change. A message they do not complete keeps its own words.
namespace ContextWords {

// What the messages before say that a message's words depend on: the words of a message
// are those of its bytes and its reading, whatever its channel, so that a search of millions
// of rows puts each reading into words once.
struct Reading
{
    std::optional<ChannelMemory::Parameter> parameter; // of a data entry
    // The other half of a 14-bit pair, of the null parameter or of a data entry; the bank MSB
    // and LSB of a program change.
    std::optional<std::uint8_t> earlier, second;

    // Equal for readings that give the same words; below 2^40.
    std::uint64_t key() const;
};

// `memory` holds what came before `place` on the message's channel.
Reading read(
    std::span<const std::uint8_t> message, const ChannelMemory &memory, std::uint64_t place);
QString describe(
    std::span<const std::uint8_t> message, const Reading &reading, MessageDetails::MiddleC middleC);
QString describe(std::span<const std::uint8_t> message, const ChannelMemory &memory,
    std::uint64_t place, MessageDetails::MiddleC middleC);

} // namespace ContextWords

#pragma once

#include "ChannelMemory.h"
#include "MessageDetails.h"

#include <QString>
#include <cstdint>
#include <span>

// The Details words of a message read with the controllers sent before it on its channel: a
// 14-bit pair as one value on its LSB, a parameter number with the value its data entry sets,
// the bank of a program change. A message they do not complete keeps its own words.
namespace ContextWords {

// `memory` holds what came before `place` on the message's channel.
QString describe(std::span<const std::uint8_t> message, const ChannelMemory &memory,
    std::uint64_t place, MessageDetails::MiddleC middleC);

} // namespace ContextWords

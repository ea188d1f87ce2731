#pragma once

#include "UmpPacket.h"

#include <cstdint>
#include <optional>

namespace Ump {

// The status byte of a System or channel voice message, as MIDI 1.0 lays it out (MIDI 2.0's
// too, for the seven kinds MIDI 1.0 shares: their status byte is laid out alike). Nothing for
// the rest: a packet of a SysEx is only a part of one message.
std::optional<std::uint8_t> messageStatusOf(const Packet &packet);

// The MIDI 1.0 status byte a packet stands for, by which an input's status filter judges it:
// messageStatusOf, and 0xF0 for SysEx7 and SysEx8, as a MIDI 1.0 SysEx counts. Nothing for
// the kinds MIDI 1.0 has not, which no filter names.
std::optional<std::uint8_t> filterStatusOf(const Packet &packet);

} // namespace Ump

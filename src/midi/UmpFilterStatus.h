#pragma once

#include "UmpPacket.h"

#include <cstdint>
#include <optional>

namespace Ump {

// The MIDI 1.0 status byte a packet stands for, by which an input's status filter judges it:
// the status of a System or channel voice message (MIDI 2.0's too, for the seven kinds MIDI
// 1.0 shares: their status byte is laid out alike), and 0xF0 for SysEx7 and SysEx8, as a
// MIDI 1.0 SysEx counts. Nothing for the kinds MIDI 1.0 has not, which no filter names.
std::optional<std::uint8_t> filterStatusOf(const Packet &packet);

} // namespace Ump

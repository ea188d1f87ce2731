#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

// The words of one message for the details column: what a note, controller, time code piece
// or SysEx header means, read from the bytes alone. Pure functions; no byte value, short or
// malformed message makes them read out of range.
namespace MessageDetails {

// Which octave number note 60 carries: both conventions are in wide use.
enum class MiddleC : std::uint8_t { C4, C3 };

// Words for one message as it crossed the wire (status first, a SysEx whole). Bytes that
// came without a status are said to be so, with no channel invented; no bytes (a failed send)
// give an empty text.
QString describe(std::span<const std::uint8_t> message, MiddleC middleC = MiddleC::C4);

// The name of controller 0-119 ("Modulation", "Bank Select LSB"); empty for an undefined one
// and for the channel modes.
std::string_view controllerName(std::uint8_t number);

} // namespace MessageDetails

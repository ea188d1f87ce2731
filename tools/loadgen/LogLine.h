#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reads back a line of the traffic log that "Save MIDI IN as Text" writes (without its line
// end): "90 3C 40", "C5 07 ", "F8  " or a SysEx's byte list "F0 7D ... F7 ". Nothing when the
// line is not exactly as the log writes a message: lower-case or stray characters, a cell
// missing, or a row without a message (a failed send leaves "  ").
std::optional<std::vector<std::uint8_t>> readLogLine(std::string_view line);

// Two upper-case hex digits, as the log shows a byte.
std::string logHex(std::uint8_t byte);

// The line the log writes for a message (without its line end).
std::string logLineOf(std::span<const std::uint8_t> message);

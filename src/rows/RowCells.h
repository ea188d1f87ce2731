#pragma once

#include "capture/CaptureStore.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// The seven cells of a grid row, made from a stored message when a person reads them:
// upper-case hex, the time stamp as milliseconds since the input started, SENT or SEND ERR
// for what the program sent.
namespace RowCells {

// The cells before SysEx Data ("12\t90\t3C\t40\t1\tNOTE ON\t"), each followed by a tab.
void appendLeading(
    std::string &out, const CapturedMessage &message, std::optional<std::int32_t> portMs);
// The SysEx Data cell: the first `limit` bytes of a SysEx ("F0 41 F7 "), or the words of a
// UMP message whole; nothing for another message.
void appendSysExData(std::string &out, const CapturedMessage &message,
    std::size_t limit = std::numeric_limits<std::size_t>::max());

// The whole row, cells joined by tabs.
std::string row(const CaptureStore &store, std::size_t index);
// One cell of the row.
std::string cell(const CaptureStore &store, std::size_t index, int column);

// The field `column` of a tab-separated text; empty past the last field.
std::string_view tabField(std::string_view text, int column);

} // namespace RowCells

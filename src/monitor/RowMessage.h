#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

// A grid row read back into the message it shows, for everything that needs the bytes
// again: exports to other formats and the words of the details column.
struct RowMessage
{
    enum class Origin : std::uint8_t { Received, Sent, SendFailed };

    Origin origin = Origin::Received;
    std::optional<std::int64_t> timestampMs; // received rows: ms since the input was started
    // The message as it crossed the wire: the status, then its data bytes, or a SysEx whole
    // from F0 on (as far as it was asked for). A first byte below 0x80 means the bytes came
    // without a status. Empty for a failed send.
    std::vector<std::uint8_t> bytes;
    // The whole message's size, also when `bytes` holds only the start of a long SysEx.
    std::size_t byteCount = 0;

    bool isSysEx() const { return !bytes.empty() && bytes.front() == 0xF0; }
};

// Reads a row as the grid holds it (upper-case hex). At most `sysExBytes` bytes of a SysEx
// are decoded, so that a glance at a huge dump costs little.
RowMessage readRowMessage(
    std::string_view row, std::size_t sysExBytes = std::numeric_limits<std::size_t>::max());

// Decodes "F0 41 F7 " (two hex digits and a space per byte) into `out`, at most `limit`
// bytes; returns how many bytes the whole text holds.
std::size_t decodeHexList(std::string_view text, std::vector<std::uint8_t> &out, std::size_t limit);

#include "LogLine.h"

#include "monitor/RowMessage.h"

std::string logHex(std::uint8_t byte)
{
    constexpr char Digits[] = "0123456789ABCDEF";
    return {Digits[byte >> 4], Digits[byte & 0x0F]};
}

// A SysEx as its byte list, anything else as three cells, empty where a data byte did not
// come.
std::string logLineOf(std::span<const std::uint8_t> message)
{
    std::string line;
    if (!message.empty() && message.front() == 0xF0) {
        for (const std::uint8_t byte : message) {
            line += logHex(byte);
            line += ' ';
        }
        return line;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0)
            line += ' ';
        if (i < message.size())
            line += logHex(message[i]);
    }
    return line;
}

std::optional<std::vector<std::uint8_t>> readLogLine(std::string_view line)
{
    std::vector<std::uint8_t> bytes;
    const std::size_t count = decodeHexList(line, bytes, line.size());
    if (count == 0 || bytes.size() != count || (bytes.front() != 0xF0 && count > 3))
        return std::nullopt;
    if (logLineOf(bytes) != line)
        return std::nullopt;
    return bytes;
}

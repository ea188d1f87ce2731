#include "LogLine.h"

#include "midi/Hex.h"

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
    // Two digits a group, one character between groups; the line is checked whole below.
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at + 2 <= line.size(); at += 3) {
        const int high = Hex::digitValue(line[at]);
        const int low = Hex::digitValue(line[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(std::uint8_t(high * 16 + low));
    }
    if (bytes.empty() || (bytes.front() != 0xF0 && bytes.size() > 3))
        return std::nullopt;
    if (logLineOf(bytes) != line)
        return std::nullopt;
    return bytes;
}

#include "modFormat.h"

#include "midi/Hex.h"
#include "midi/MidiMessage.h"

#include <charconv>
#include <string_view>

namespace modFormat {
namespace {

    constexpr char Tab = '\t';

    void appendHex(std::string &out, std::uint32_t value)
    {
        char digits[8];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, 16);
        if (value < 16)
            out += '0';
        out.append(digits, end);
    }

    void appendHexByte(std::string &out, std::int16_t value)
    {
        appendHex(out, static_cast<std::uint16_t>(value));
    }

    void appendDecimal(std::string &out, std::int32_t value)
    {
        char digits[12];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, end);
    }

    std::string_view channelEventName(int statusKind, std::int16_t data1, std::int16_t data2)
    {
        switch (statusKind) {
        case 0x8:
            return "Note Off";
        case 0x9:
            return data2 == 0 ? "Note Off" : "Note On";
        case 0xA:
            return "Polyphonic Key Pressure";
        case 0xB:
            return data1 >= 0x79 && data1 <= 0x7F ? "Channel Mode Change" : "Control Change";
        case 0xC:
            return "Program Change";
        case 0xD:
            return "Channel Pressure";
        case 0xE:
            return "Pitch Change";
        default:
            return {};
        }
    }

    bool hasSecondDataByte(int statusKind)
    {
        return statusKind != 0xC && statusKind != 0xD;
    }

    // A data byte that did not come: its cell stays empty.
    constexpr std::int16_t Missing = -1;

    void appendDataByte(std::string &out, std::int16_t data)
    {
        if (data != Missing)
            appendHexByte(out, data);
    }

    // Data 1, Data 2, Channel and Event of a message below 0xF0, each followed by a tab.
    void appendChannelFields(
        std::string &out, std::int16_t status, std::int16_t data1, std::int16_t data2)
    {
        const int statusKind = status >> 4;
        appendDataByte(out, data1);
        out += Tab;
        if (hasSecondDataByte(statusKind))
            appendDataByte(out, data2);
        out += Tab;
        appendDecimal(out, ChannelNumber(status));
        out += Tab;
        out += channelEventName(statusKind, data1, data2);
        out += Tab;
    }

    void appendSystemFields(
        std::string &out, std::int16_t status, std::int16_t data1, std::int16_t data2)
    {
        if (status == 0xF1 || status == 0xF2 || status == 0xF3)
            appendDataByte(out, data1);
        out += Tab;
        if (status == 0xF2)
            appendDataByte(out, data2);
        out += Tab;
        out += Tab; // no channel
        if (status >= 0xF8 && status <= 0xFF)
            out += "System Real Time";
        else if (status >= 0xF1 && status <= 0xF7)
            out += "System Common";
        out += Tab;
    }

} // namespace

std::string HexByte(std::int16_t value)
{
    std::string text;
    appendHexByte(text, value);
    return text;
}

std::string HexBytes(QByteArrayView bytes)
{
    std::string text;
    Hex::appendBytes(text,
        {reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size())},
        Hex::Case::Lower);
    return text;
}

std::int16_t ChannelNumber(std::int16_t status)
{
    // Modulo of the 16-bit pattern, so that even a negative value lands on 1..16.
    return static_cast<std::int16_t>((static_cast<std::uint16_t>(status) & 0x0F) + 1);
}

bool IsSystemStatus(std::int16_t status)
{
    return status >= 0xF0;
}

namespace {

    void appendMessageRow(std::string &row, std::int16_t status, std::int16_t data1,
        std::int16_t data2, std::int32_t timestamp)
    {
        appendDecimal(row, timestamp);
        row += Tab;
        appendHexByte(row, status);
        row += Tab;
        if (IsSystemStatus(status))
            appendSystemFields(row, status, data1, data2);
        else
            appendChannelFields(row, status, data1, data2);
    }

} // namespace

std::string FormatMessageRow(
    std::int16_t status, std::int16_t data1, std::int16_t data2, std::int32_t timestamp)
{
    std::string row;
    row.reserve(48);
    appendMessageRow(row, status, data1, data2, timestamp);
    return row;
}

std::string FormatReceivedRow(std::span<const std::uint8_t> message, std::int32_t timestamp)
{
    std::string row;
    AppendReceivedRow(row, message, timestamp);
    return row;
}

void AppendReceivedRow(
    std::string &row, std::span<const std::uint8_t> message, std::int32_t timestamp)
{
    if (message.empty())
        return;
    if (!isStatusByte(message[0])) {
        // Bytes that came without a status: shown as they are, with no channel made up.
        appendDecimal(row, timestamp);
        row += Tab;
        appendHexByte(row, message[0]);
        row += "\t\t\t\t\t";
        return;
    }
    const auto byteAt = [&](std::size_t i) { return i < message.size() ? message[i] : Missing; };
    appendMessageRow(row, message[0], byteAt(1), byteAt(2), timestamp);
}

std::string SysExRowStart(std::int32_t timestamp)
{
    std::string row;
    appendDecimal(row, timestamp);
    row += "\tf0\t\t\t\tSystem Exclusive\t";
    return row;
}

std::string FormatSysExRow(QByteArrayView bytes, std::int32_t timestamp)
{
    return SysExRowStart(timestamp) + HexBytes(bytes);
}

} // namespace modFormat

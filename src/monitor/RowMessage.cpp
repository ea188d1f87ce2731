#include "RowMessage.h"

#include "RowColumns.h"
#include "RowStore.h"
#include "frame/NumberText.h"

#include <charconv>

namespace {

using namespace RowColumns;

std::optional<std::uint8_t> hexByte(std::string_view text)
{
    if (text.size() != 2 || hexDigitValue(text[0]) < 0 || hexDigitValue(text[1]) < 0)
        return std::nullopt;
    return std::uint8_t(hexDigitValue(text[0]) * 16 + hexDigitValue(text[1]));
}

RowMessage::Origin originOf(std::string_view timestamp)
{
    if (timestamp == "SENT")
        return RowMessage::Origin::Sent;
    if (timestamp == "SEND ERR")
        return RowMessage::Origin::SendFailed;
    return RowMessage::Origin::Received;
}

} // namespace

std::size_t decodeHexList(std::string_view text, std::vector<std::uint8_t> &out, std::size_t limit)
{
    const std::size_t count = (text.size() + 1) / 3;
    const std::size_t decoded = std::min(count, limit);
    out.reserve(out.size() + decoded);
    for (std::size_t i = 0; i < decoded; ++i)
        if (const auto byte = hexByte(text.substr(i * 3, 2)))
            out.push_back(*byte);
    return count;
}

RowMessage readRowMessage(std::string_view row, std::size_t sysExBytes)
{
    RowMessage message;
    const std::string_view timestamp = trimSpaces(tabField(row, Timestamp));
    message.origin = originOf(timestamp);
    if (message.origin == RowMessage::Origin::Received) {
        std::int64_t stamp = 0;
        const auto [end, error] = std::from_chars(timestamp.begin(), timestamp.end(), stamp);
        if (error == std::errc() && end == timestamp.end())
            message.timestampMs = stamp;
    }
    const auto status = hexByte(tabField(row, Status));
    if (!status)
        return message;
    if (*status == 0xF0) {
        message.byteCount = decodeHexList(tabField(row, SysExData), message.bytes, sysExBytes);
        return message;
    }
    message.bytes.push_back(*status);
    for (int column : {Data1, Data2})
        if (const auto data = hexByte(tabField(row, column)))
            message.bytes.push_back(*data);
    message.byteCount = message.bytes.size();
    return message;
}

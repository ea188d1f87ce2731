#include "RowCells.h"

#include "RowColumns.h"
#include "UmpRows.h"
#include "decode/modFormat.h"
#include "midi/Hex.h"

#include <algorithm>

namespace RowCells {
namespace {

    // The grid shows its rows upper-cased.
    void upperCaseFrom(std::string &out, std::size_t at)
    {
        std::transform(out.begin() + std::ptrdiff_t(at), out.end(),
            out.begin() + std::ptrdiff_t(at),
            [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    }

    void appendSentCells(std::string &out, std::span<const std::uint8_t> bytes)
    {
        out += "SENT\t";
        if (bytes.empty()) {
            out += "\t\t\t\t\t";
            return;
        }
        Hex::appendByte(out, bytes[0], Hex::Case::Upper);
        for (std::size_t data = 1; data <= 2; ++data) {
            out += '\t';
            if (bytes[0] != 0xF0 && data < bytes.size())
                Hex::appendByte(out, bytes[data], Hex::Case::Upper);
        }
        out += "\t\t\t";
    }

    void appendUmpCells(std::string &out, const CapturedMessage &message, std::int32_t stamp)
    {
        out += std::to_string(stamp);
        out += '\t';
        UmpRows::appendLeading(out, message.umpPacket());
    }

} // namespace

void appendLeading(
    std::string &out, const CapturedMessage &message, std::optional<std::int32_t> portMs)
{
    switch (message.origin) {
    case Origin::SendFailed:
        out += "SEND ERR\t\t\t\t\t\t";
        return;
    case Origin::Sent:
        appendSentCells(out, message.bytes);
        return;
    case Origin::Received:
        const std::int32_t stamp = portMs.value_or(0);
        const std::size_t start = out.size();
        if (message.isUmp())
            appendUmpCells(out, message, stamp);
        else if (message.isSysEx())
            out += modFormat::SysExRowStart(stamp);
        else
            modFormat::AppendReceivedRow(out, message.bytes, stamp);
        upperCaseFrom(out, start);
        return;
    }
}

void appendSysExData(std::string &out, const CapturedMessage &message, std::size_t limit)
{
    if (message.isUmp())
        UmpRows::appendWords(out, message.ump);
    else if (message.isSysEx())
        Hex::appendBytes(
            out, message.bytes.first(std::min(limit, message.bytes.size())), Hex::Case::Upper);
}

std::string row(const CaptureStore &store, std::size_t index)
{
    const CapturedMessage message = store.at(index);
    std::string text;
    appendLeading(text, message, store.portMs(index));
    appendSysExData(text, message);
    return text;
}

std::string cell(const CaptureStore &store, std::size_t index, int column)
{
    const CapturedMessage message = store.at(index);
    std::string text;
    if (column == RowColumns::SysExData) {
        appendSysExData(text, message);
        return text;
    }
    appendLeading(text, message, store.portMs(index));
    return std::string(tabField(text, column));
}

std::string_view tabField(std::string_view text, int column)
{
    for (; column > 0; --column) {
        const std::size_t tab = text.find('\t');
        if (tab == std::string_view::npos)
            return {};
        text.remove_prefix(tab + 1);
    }
    return text.substr(0, text.find('\t'));
}

} // namespace RowCells

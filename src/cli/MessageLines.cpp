#include "MessageLines.h"

#include "capture/CaptureStore.h"
#include "export/BlockWriter.h"
#include "midi/Hex.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t StampWidth = 11; // "   0.001520": a run of hours stays aligned
constexpr std::size_t ShortBytesWidth = 8; // "90 3C 7F"
constexpr std::size_t EventWidth = 18; // the longest Event cell, "CHANNEL AFTERTOUCH"
constexpr std::size_t ChannelWidth = 2;

// Characters, not bytes, so that a source named in UTF-8 lines up.
std::size_t displayWidth(std::string_view text)
{
    return std::size_t(std::ranges::count_if(text, [](char c) { return (c & 0xC0) != 0x80; }));
}

std::size_t widestName(const std::vector<std::string> &names)
{
    std::size_t widest = 0;
    for (const std::string &name : names)
        widest = std::max(widest, displayWidth(name));
    return widest;
}

} // namespace

MessageLines::MessageLines(MessageDetails::MiddleC middleC)
    : m_details(middleC)
{ }

bool MessageLines::writeRows(const CaptureStore &rows, std::size_t first, QIODevice &out)
{
    return BlockWriter::writeEach(out, first, rows.size(),
        [&](BlockWriter &block, std::size_t row) { appendLine(block, rows, row); });
}

// Ends a column that began at `from`: blanks up to its width, then the gap before the next,
// which a field wider than its column keeps too.
void MessageLines::endColumn(std::size_t width, std::size_t from)
{
    const std::size_t used = displayWidth(std::string_view(m_line).substr(from));
    m_line.append(width - std::min(width, used) + 2, ' ');
}

void MessageLines::appendBytes(const CapturedMessage &message)
{
    const std::size_t shown = std::min(message.bytes.size(), BytesShown);
    Hex::appendBytes(m_line, message.bytes.first(shown), Hex::Case::Upper);
    m_line.pop_back();
    if (shown < message.bytes.size())
        m_line += " \u2026 " + std::to_string(message.bytes.size()) + " bytes";
}

void MessageLines::appendLine(BlockWriter &block, const CaptureStore &rows, std::size_t row)
{
    const CapturedMessage message = rows.at(row);
    const std::vector<std::string> &names = m_sourceNames.of(rows);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%*.6f", int(StampWidth), double(message.stampUs) / 1e6);
    m_line = stamp;
    m_line += "  ";
    std::size_t from = m_line.size();
    m_line += names[message.source];
    if (names.size() != m_namesMeasured) {
        m_sourceWidth = widestName(names);
        m_namesMeasured = names.size();
    }
    endColumn(m_sourceWidth, from);
    from = m_line.size();
    appendBytes(message);
    endColumn(ShortBytesWidth, from);
    m_cells.clear();
    RowCells::appendLeading(m_cells, message, rows.portMs(row));
    from = m_line.size();
    m_line += RowCells::tabField(m_cells, RowColumns::Event);
    endColumn(EventWidth, from);
    const std::string_view channel = RowCells::tabField(m_cells, RowColumns::Channel);
    m_line.append(ChannelWidth - std::min(ChannelWidth, channel.size()), ' ');
    m_line += channel;
    m_line += "  ";
    m_line += m_details.of(message);
    while (!m_line.empty() && m_line.back() == ' ')
        m_line.pop_back();
    block.append(m_line);
    block.append('\n');
}

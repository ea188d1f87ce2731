#include "RowStore.h"

#include "RowColumns.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

} // namespace

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

std::string_view trimSpaces(std::string_view cell)
{
    while (!cell.empty() && cell.front() == ' ')
        cell.remove_prefix(1);
    while (!cell.empty() && cell.back() == ' ')
        cell.remove_suffix(1);
    return cell;
}

bool isSentRow(std::string_view row)
{
    return trimSpaces(tabField(row, RowColumns::Timestamp)) == "SENT";
}

bool isSysExRow(std::string_view row)
{
    return tabField(row, RowColumns::Status) == "F0";
}

void RowStore::append(std::string_view text)
{
    append(text.size(), [&](char *out) { std::copy(text.begin(), text.end(), out); });
}

void RowStore::append(std::size_t length, const std::function<void(char *)> &write)
{
    if (length > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a grid row cannot exceed 4 GiB");
    Chunk &chunk = chunkWithRoomFor(length);
    char *row = chunk.bytes.get() + chunk.used;
    write(row);
    std::transform(row, row + length, row, upper);
    m_rowStart.push_back(chunk.used);
    chunk.used += std::uint32_t(length);
}

RowStore::Chunk &RowStore::chunkWithRoomFor(std::size_t length)
{
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < length) {
        // A row larger than a chunk (a long SysEx dump) gets a chunk of its own size.
        Chunk chunk;
        chunk.capacity = std::uint32_t(std::max(length, ChunkSize));
        chunk.bytes.reset(new char[chunk.capacity]);
        chunk.firstRow = size();
        m_chunks.push_back(std::move(chunk));
    }
    return m_chunks.back();
}

std::size_t RowStore::chunkOf(std::size_t row) const
{
    const auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), row,
        [](std::size_t r, const Chunk &c) { return r < c.firstRow; });
    return std::size_t(after - m_chunks.begin()) - 1;
}

std::string_view RowStore::row(std::size_t index) const
{
    if (index >= size())
        return {};
    const std::size_t chunkIndex = chunkOf(index);
    const Chunk &chunk = m_chunks[chunkIndex];
    const bool lastInChunk = index + 1 == size()
        || (chunkIndex + 1 < m_chunks.size() && m_chunks[chunkIndex + 1].firstRow == index + 1);
    const std::uint32_t end = lastInChunk ? chunk.used : m_rowStart[index + 1];
    return {chunk.bytes.get() + m_rowStart[index], end - m_rowStart[index]};
}

RowStore::ChunkText RowStore::chunkText(std::size_t chunk) const
{
    const Chunk &c = m_chunks[chunk];
    const std::size_t end = chunk + 1 < m_chunks.size() ? m_chunks[chunk + 1].firstRow : size();
    return {{c.bytes.get(), c.used}, c.firstRow, end - c.firstRow};
}

std::string_view RowStore::cell(std::size_t index, int column) const
{
    return tabField(row(index), column);
}

void RowStore::clear()
{
    m_chunks = std::vector<Chunk>();
    m_rowStart = std::vector<std::uint32_t>();
}

std::size_t RowStore::bytesHeld() const
{
    std::size_t bytes
        = m_rowStart.capacity() * sizeof(std::uint32_t) + m_chunks.capacity() * sizeof(Chunk);
    for (const Chunk &chunk : m_chunks)
        bytes += chunk.capacity;
    return bytes;
}

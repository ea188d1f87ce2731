#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

// The event grid's message rows, compact enough for millions: each row's text lies in
// large shared chunks and costs one 32-bit offset besides; cells are found on demand by
// their tabs. Rows are stored upper-cased, as the grid shows them.
class RowStore
{
public:
    static constexpr std::size_t ChunkSize = std::size_t(1) << 20;

    void append(std::string_view text);
    // Appends a row of `length` characters that `write` puts in place; then upper-cased like
    // any row. A long row (a SysEx dump) is thus never built twice.
    void append(std::size_t length, const std::function<void(char *)> &write);
    void clear();

    std::size_t size() const { return m_rowStart.size(); }
    std::string_view row(std::size_t index) const;
    // Field `column` of the tab-separated row; empty past the last field.
    std::string_view cell(std::size_t index, int column) const;

    // Memory the store holds for its rows, spare capacity included.
    std::size_t bytesHeld() const;

    // The rows as the store keeps them, a chunk at a time, so that a search can run over
    // contiguous text at memory speed. A row never spans two chunks.
    struct ChunkText
    {
        std::string_view text; // the chunk's rows back to back
        std::size_t firstRow;
        std::size_t rowCount;
    };
    std::size_t chunkCount() const { return m_chunks.size(); }
    ChunkText chunkText(std::size_t chunk) const;
    std::size_t chunkOfRow(std::size_t row) const { return chunkOf(row); }
    // Where a row starts in its chunk's text.
    std::size_t rowOffset(std::size_t row) const { return m_rowStart[row]; }

private:
    struct Chunk
    {
        std::unique_ptr<char[]> bytes;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
        std::size_t firstRow = 0;
    };

    Chunk &chunkWithRoomFor(std::size_t length);
    std::size_t chunkOf(std::size_t row) const;

    std::vector<Chunk> m_chunks;
    std::vector<std::uint32_t> m_rowStart; // offset of each row in its chunk
};

// The field `column` of a tab-separated text; empty past the last field.
std::string_view tabField(std::string_view text, int column);
// A cell without the spaces at its ends.
std::string_view trimSpaces(std::string_view cell);
// Looks at a stored row without decoding it: a row the sender added ("SENT"), a row of a
// SysEx (its status F0).
bool isSentRow(std::string_view row);
bool isSysExRow(std::string_view row);

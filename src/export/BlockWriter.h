#pragma once

#include <QByteArray>
#include <cstddef>
#include <string_view>

class QIODevice;

// Gathers the many small pieces of an export into large blocks, so that an unbuffered file
// sees a few large writes rather than one per cell.
class BlockWriter
{
public:
    static constexpr qsizetype BlockSize = 1 << 20;

    explicit BlockWriter(QIODevice &out);

    void append(std::string_view text) { m_block.append(text.data(), qsizetype(text.size())); }
    void append(char c) { m_block.append(c); }

    // Hands the block to the device once it has grown large; false when the device refused
    // the write (its errorString() says why).
    bool flushWhenFull() { return m_block.size() < BlockSize || flush(); }
    // Hands over whatever is gathered; false when the device refused the write.
    bool flush();

    // Appends rows `first` to `end` through `appendRow(block, row)` and hands the blocks
    // over as they fill; false when the device refused a write.
    template<typename AppendRow>
    static bool writeEach(QIODevice &out, std::size_t first, std::size_t end, AppendRow appendRow)
    {
        BlockWriter block(out);
        for (std::size_t row = first; row < end; ++row) {
            appendRow(block, row);
            if (!block.flushWhenFull())
                return false;
        }
        return block.flush();
    }

private:
    QIODevice &m_out;
    QByteArray m_block;
};

#pragma once

#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

// Where the rows of a recorded capture lie, found from the heads of its chunks without
// decoding a row: what lets a reader go straight to the rows it wants in a file of any size.
namespace ChunkIndex {

struct RowsChunk
{
    qint64 offset; // of the chunk's kind byte in the file
    std::uint64_t firstRow; // in the whole recording, over every file of a set
    std::uint32_t rows;
    std::int64_t firstStampUs;
};

// The rows chunks of the recording `in` reads, up to the first one cut short; nothing when it
// is no recording or a chunk's head is not one. The chunks' checksums are not checked here:
// reading a chunk's rows does that.
std::optional<std::vector<RowsChunk>> ofRecording(QIODevice &in);
// Adds to `chunks` the rows chunks that lie whole in `in` from `offset` on, where a chunk
// begins: what indexes a recording that grows. Returns where the next chunk begins, or
// nothing when a chunk's head is not one.
std::optional<qint64> addRowsChunks(QIODevice &in, qint64 offset, std::vector<RowsChunk> &chunks);

} // namespace ChunkIndex

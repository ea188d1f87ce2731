#include "ChunkIndex.h"

#include "CaptureFormat.h"

#include <QIODevice>

namespace ChunkIndex {
namespace {

    using namespace CaptureFormat;

    template<typename Integer>
    Integer littleEndian(const QByteArray &bytes, int at)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < sizeof(Integer); ++i)
            value |= std::uint64_t(std::uint8_t(bytes[at + int(i)])) << (8 * i);
        return Integer(value);
    }

    bool isRecording(const QByteArray &header)
    {
        return header.size() == HeaderSize && header.startsWith(QByteArrayView(Magic, 8))
            && littleEndian<std::uint16_t>(header, 10) == RecordedFlag;
    }

} // namespace

std::optional<std::vector<RowsChunk>> ofRecording(QIODevice &in)
{
    if (!in.seek(0) || !isRecording(in.read(HeaderSize)))
        return std::nullopt;
    std::vector<RowsChunk> chunks;
    if (!addRowsChunks(in, HeaderSize, chunks))
        return std::nullopt;
    return chunks;
}

std::optional<qint64> addRowsChunks(QIODevice &in, qint64 offset, std::vector<RowsChunk> &chunks)
{
    while (offset + ChunkHead <= in.size()) {
        if (!in.seek(offset))
            return std::nullopt;
        const QByteArray head = in.read(ChunkHead + RowsHead);
        const auto payloadSize = littleEndian<std::uint32_t>(head, 1);
        const qint64 next = offset + ChunkHead + qint64(payloadSize) + ChunkTail;
        if (next > in.size())
            break; // the chunk being written
        if (Chunk(head[0]) == Chunk::Rows) {
            if (head.size() < ChunkHead + RowsHead || payloadSize < std::uint32_t(RowsHead))
                return std::nullopt;
            chunks.push_back({offset, littleEndian<std::uint64_t>(head, ChunkHead),
                littleEndian<std::uint32_t>(head, ChunkHead + 8),
                littleEndian<std::int64_t>(head, ChunkHead + 12)});
        }
        offset = next;
    }
    return offset;
}

} // namespace ChunkIndex

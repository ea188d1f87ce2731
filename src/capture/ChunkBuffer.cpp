#include "ChunkBuffer.h"

#include <zlib.h>

using namespace CaptureFormat;

ChunkBuffer::ChunkBuffer()
{
    m_bytes.reserve(ChunkHead + RowsChunkBytes + 64);
}

void ChunkBuffer::begin(Chunk kind)
{
    m_bytes.assign(ChunkHead, 0);
    m_bytes[0] = std::uint8_t(kind);
}

QByteArrayView ChunkBuffer::seal()
{
    const auto size = std::uint32_t(payloadSize());
    for (int i = 0; i < 4; ++i)
        m_bytes[std::size_t(1 + i)] = std::uint8_t(size >> (8 * i));
    putLittleEndian(std::uint32_t(crc32_z(0, m_bytes.data(), m_bytes.size())));
    return {reinterpret_cast<const char *>(m_bytes.data()), qsizetype(m_bytes.size())};
}

void RowEvents::putStart(ChunkBuffer &chunk, CaptureStore::Source source, std::int64_t startUs)
{
    std::uint8_t *at = chunk.room(2 + LongestVarint);
    *at++ = Tag::PortStart | Tag::NewSource;
    *at++ = source;
    chunk.commit(CaptureFormat::putVarint(at, zigzag(startUs)));
}

std::uint8_t *RowEvents::putHead(std::uint8_t *at, std::uint8_t tag, const CapturedMessage &message)
{
    if (message.source != m_source)
        tag |= Tag::NewSource;
    *at++ = tag;
    if (message.source != m_source)
        *at++ = m_source = message.source;
    at = CaptureFormat::putVarint(at, zigzag(message.stampUs - m_stampUs));
    m_stampUs = message.stampUs;
    return at;
}

void RowEvents::putRow(ChunkBuffer &chunk, const CapturedMessage &message)
{
    if (message.isUmp()) {
        putUmpRow(chunk, message);
        return;
    }
    const std::span<const std::uint8_t> bytes = message.held();
    const std::size_t size = bytes.size();
    const bool isLong = size > 3;
    std::uint8_t *at = chunk.room(2 + 2 * LongestVarint + size);
    std::uint8_t tag = std::uint8_t(message.origin);
    tag |= isLong ? Tag::Long : std::uint8_t(size << Tag::SizeShift);
    at = putHead(at, tag, message);
    if (isLong)
        at = CaptureFormat::putVarint(at, size);
    if (size > 0)
        std::memcpy(at, bytes.data(), size);
    chunk.commit(at + size);
}

// The words as the store holds them, most significant byte first; their count follows from
// the first word, and the size bits say it again so that a damaged row is found.
void RowEvents::putUmpRow(ChunkBuffer &chunk, const CapturedMessage &message)
{
    const std::size_t size = message.ump.size();
    std::uint8_t *at = chunk.room(2 + LongestVarint + size);
    const auto tag
        = std::uint8_t(std::uint8_t(message.origin) | Tag::Ump | (size / 4 - 1) << Tag::SizeShift);
    at = putHead(at, tag, message);
    std::memcpy(at, message.ump.data(), size);
    chunk.commit(at + size);
}

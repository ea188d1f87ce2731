#pragma once

#include "CaptureFormat.h"
#include "CaptureStore.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstring>
#include <vector>

// One chunk of a capture file as it is built: its kind, its payload, and at the end its size
// and checksum. What Save Capture and a recording write alike.
class ChunkBuffer
{
public:
    ChunkBuffer();

    void begin(CaptureFormat::Chunk kind);
    std::size_t payloadSize() const { return m_bytes.size() - CaptureFormat::ChunkHead; }
    // Room for `size` more bytes, written through the pointer returned; commit() says how
    // many were.
    std::uint8_t *room(std::size_t size)
    {
        const std::size_t used = m_bytes.size();
        m_bytes.resize(used + size);
        return m_bytes.data() + used;
    }
    void commit(const std::uint8_t *end) { m_bytes.resize(std::size_t(end - m_bytes.data())); }
    void put(const void *bytes, std::size_t size) { std::memcpy(room(size), bytes, size); }
    void putVarint(std::uint64_t value)
    {
        commit(CaptureFormat::putVarint(room(CaptureFormat::LongestVarint), value));
    }
    template<typename Integer>
    void putLittleEndian(Integer value)
    {
        putLittleEndianAt(payloadSize(), value);
    }
    // Writes at that offset of the payload, over what was put there: a head whose numbers are
    // known only once the chunk is full.
    template<typename Integer>
    void putLittleEndianAt(std::size_t payloadOffset, Integer value)
    {
        const std::size_t at = CaptureFormat::ChunkHead + payloadOffset;
        if (m_bytes.size() < at + sizeof value)
            m_bytes.resize(at + sizeof value);
        for (std::size_t i = 0; i < sizeof value; ++i)
            m_bytes[at + i] = std::uint8_t(std::uint64_t(value) >> (8 * i));
    }

    // Sizes the chunk and appends its checksum: the chunk whole, valid until the next begin().
    QByteArrayView seal();

private:
    std::vector<std::uint8_t> m_bytes;
};

// Puts the events of rows chunks: each stamp as the difference to the one before it in the
// chunk, a source byte where the source changes.
class RowEvents
{
public:
    // At the start of every chunk, so that each decodes on its own.
    void restart()
    {
        m_stampUs = 0;
        m_source = 0;
    }
    static void putStart(ChunkBuffer &chunk, CaptureStore::Source source, std::int64_t startUs);
    void putRow(ChunkBuffer &chunk, const CapturedMessage &message);

private:
    // The tag, the source byte where it changes, and the stamp's difference.
    std::uint8_t *putHead(std::uint8_t *at, std::uint8_t tag, const CapturedMessage &message);
    void putUmpRow(ChunkBuffer &chunk, const CapturedMessage &message);

    std::int64_t m_stampUs = 0;
    CaptureStore::Source m_source = 0;
};

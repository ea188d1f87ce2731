#pragma once

#include <QByteArrayView>
#include <cstdint>

// The layout of a capture file, shared by its writer and its reader; docs/capture-format.md
// says the same in words, and why.
namespace CaptureFormat {

// PNG's trick: a high-bit byte, then CR LF, ^Z and LF, so that a transfer in text mode or
// over a 7-bit path breaks the signature rather than the rows.
inline constexpr char Magic[8] = {'\x89', 'L', 'M', 'C', '\r', '\n', '\x1A', '\n'};
inline constexpr std::uint16_t Version = 1;
inline constexpr int HeaderSize = 12; // the magic, the version and 16 bits of flags
// A file recorded as the rows came: nothing is declared up front, rows chunks say where they
// stand, and the end chunk may be missing.
inline constexpr std::uint16_t RecordedFlag = 0x0001;

// A chunk: its kind, the size of its payload (32 bits, little-endian), the payload, and the
// CRC-32 of all three. A kind in lower case is one the rows can be read without: a reader
// that does not know it passes over it, as PNG's readers pass over its ancillary chunks.
enum class Chunk : char {
    Info = 'I',
    Rows = 'R',
    End = 'E',
    Source = 'N',
    Marks = 'm',
    PortStarts = 'p',
};
inline bool mayPassOver(char kind)
{
    return kind >= 'a' && kind <= 'z';
}
// The longest note of a marked row, in bytes of UTF-8.
inline constexpr std::uint64_t LongestNote = 4096;
inline constexpr int ChunkHead = 5;
inline constexpr int ChunkTail = 4;
// In a recorded file, a rows chunk's payload begins with its first row's number in the whole
// recording (64 bits), its count of rows (32) and its first row's stamp (64), so that an index
// of a recording is made from the chunks' heads without decoding a row.
inline constexpr int RowsHead = 20;
// A rows chunk is closed once its payload passes this; a long message makes it larger.
inline constexpr std::size_t RowsChunkBytes = std::size_t(1) << 20;

// The first byte of each event in a rows chunk.
namespace Tag {
    inline constexpr std::uint8_t OriginMask = 0x03; // Origin, or PortStart
    inline constexpr std::uint8_t PortStart = 0x03;
    inline constexpr std::uint8_t SizeShift = 2; // 0 to 3 bytes inline
    inline constexpr std::uint8_t Long = 0x10; // a byte count follows, then the bytes
    inline constexpr std::uint8_t NewSource = 0x20; // a source byte follows
    // A UMP message: its words follow, as many as the size bits plus one.
    inline constexpr std::uint8_t Ump = 0x40;
    inline constexpr std::uint8_t Unused = 0x80;
} // namespace Tag

// The longest a varint of 64 bits takes.
inline constexpr int LongestVarint = 10;

inline std::uint64_t zigzag(std::int64_t value)
{
    return std::uint64_t(value) << 1 ^ std::uint64_t(value >> 63);
}

inline std::int64_t unzigzag(std::uint64_t value)
{
    return std::int64_t(value >> 1) ^ -std::int64_t(value & 1);
}

// Seven bits a byte, lowest first, the high bit set on every byte but the last.
inline std::uint8_t *putVarint(std::uint8_t *out, std::uint64_t value)
{
    while (value >= 0x80) {
        *out++ = std::uint8_t(value | 0x80);
        value >>= 7;
    }
    *out++ = std::uint8_t(value);
    return out;
}

} // namespace CaptureFormat

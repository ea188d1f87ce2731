#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <span>
#include <string>

// Texts of one MIDI message as the event grid shows them, before the grid upper-cases them.
// Pure functions: no state, no widgets, no errors on any byte value.
namespace modFormat {

// Two lower-case hex digits; 256 and up give more digits, negatives their 16-bit pattern.
std::string HexByte(std::int16_t value);

// HexByte of every byte, each followed by one space ("f0 41 f7 ").
std::string HexBytes(QByteArrayView bytes);

// 1..16 for the channel nibble of a channel status.
std::int16_t ChannelNumber(std::int16_t status);

bool IsSystemStatus(std::int16_t status);

// "timestamp\tstatus\tdata1\tdata2\tchannel\tevent\t" of a message other than System Exclusive.
std::string FormatMessageRow(
    std::int16_t status, std::int16_t data1, std::int16_t data2, std::int32_t timestamp);

// The row of a received message other than SysEx, as many bytes as came: a data byte that
// did not come leaves its cell empty, and bytes without a status get no channel or event.
std::string FormatReceivedRow(std::span<const std::uint8_t> message, std::int32_t timestamp);
// The same row appended to `out`, for a caller that makes millions of them.
void AppendReceivedRow(
    std::string &out, std::span<const std::uint8_t> message, std::int32_t timestamp);

// The row of a System Exclusive message: status "f0", the bytes in the last field.
std::string FormatSysExRow(QByteArrayView bytes, std::int32_t timestamp);

// The cells of that row before the byte list.
std::string SysExRowStart(std::int32_t timestamp);

} // namespace modFormat

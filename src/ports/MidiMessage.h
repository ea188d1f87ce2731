#pragma once

#include <QByteArray>
#include <cstdint>

// One message as it crossed the wire into an input port.
struct MidiMessage
{
    std::uint32_t timestampMs = 0; // since the port was started
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    QByteArray sysEx; // the whole F0 ... F7 message; empty for any other kind
};

constexpr std::uint8_t SysExStatus = 0xF0;
constexpr std::uint8_t EndOfSysEx = 0xF7;

constexpr bool isStatusByte(std::uint8_t byte)
{
    return byte >= 0x80;
}

constexpr bool isRealTimeStatus(std::uint8_t byte)
{
    return byte >= 0xF8;
}

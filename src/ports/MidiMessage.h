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

// How many data bytes follow a status byte on the wire (System Exclusive excluded).
constexpr int dataByteCount(std::uint8_t status)
{
    if (status < 0x80)
        return 2; // not a status: a bare pair of bytes goes out as given
    switch (status >> 4) {
    case 0xC:
    case 0xD:
        return 1;
    case 0xF:
        return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    default:
        return 2;
    }
}

#pragma once

#include "midi/MidiMessage.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// One message as typed into the MIDI Message box: a status byte, then data bytes, all as
// two-digit hex separated by single spaces ("90 3C 7F", "f0 7e 7f 09 01 f7").
struct ParsedMessage
{
    std::uint8_t status = 0;
    // SysEx: the whole message from F0 on; otherwise the data bytes in typed order.
    QByteArray bytes;

    bool isSysEx() const { return status == SysExStatus; }
    bool lacksEox() const { return isSysEx() && std::uint8_t(bytes.back()) != EndOfSysEx; }
    // The message as it goes on the wire: the status, then the data bytes.
    QByteArray wireBytes() const { return isSysEx() ? bytes : char(status) + bytes; }
};

struct ParseResult
{
    std::optional<ParsedMessage> message;
    QString reason; // why the text was refused, when it was

    explicit operator bool() const { return message.has_value(); }
};

// The longest text, spaces at the ends aside, that the box accepts.
constexpr qsizetype LongestMessageText = 32765;

// Never throws; a refused text comes back with its reason.
ParseResult parseMessage(QStringView text);

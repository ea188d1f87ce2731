#pragma once

#include "midi/UmpPacket.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// What a row of a UMP message shows in the grid's seven columns, laid out so that MIDI 1.0
// rows keep their cells: the status byte where the packet has one (System and channel voice
// messages), the data bytes of the packets that carry MIDI 1.0 bytes, the channel of a
// channel voice message, the decoder's name of the message, and the words in the SysEx Data
// cell, as they are written down ("40903C00 FFFF0000"). The group has a column of its own.
namespace UmpRows {

// The cells after the Timestamp cell, each followed by a tab, before the grid upper-cases
// them.
void appendLeading(std::string &out, const Ump::Packet &packet);
// The words, most significant byte first, upper-case, a space between words.
void appendWords(std::string &out, std::span<const std::uint8_t> words);
// "1" to "16", or nothing for the messages of no group.
QString groupText(const Ump::Packet &packet);
// The decoding, one field a line: the name with its group, then "name: value" each.
QStringList decodingLines(const Ump::Packet &packet);
// The MIDI 1.0 status nearest in kind, for what tints rows by kind: the packet's own status
// where it has one, 0xF0 for SysEx and data, 0xF1 (system common) for Flex Data and Stream
// messages, 0xF8 (real time) for Utility messages.
std::uint8_t nearestStatus(const Ump::Packet &packet);

} // namespace UmpRows

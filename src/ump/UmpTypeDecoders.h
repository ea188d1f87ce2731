#pragma once

#include "UmpDecoded.h"
#include "midi/UmpPacket.h"

#include <QString>

// The decoders of the message types, each in the file of its type; `decoded` comes with its
// group set.
namespace Ump::Detail {

void decodeMidi2ChannelVoice(const Packet &packet, Decoded &decoded);
void decodeData64(const Packet &packet, Decoded &decoded);
void decodeData128(const Packet &packet, Decoded &decoded);
void decodeFlexData(const Packet &packet, Decoded &decoded);
void decodeStream(const Packet &packet, Decoded &decoded);

// Bytes `first` to `last` of the packet as UTF-8, ending at the first zero byte: the text
// fields of Flex Data and Stream messages are padded with zeros.
QString textOfBytes(const Packet &packet, int first, int last);
// The four values a multi-packet format field takes.
QString formatName(std::uint32_t format);
QString hexText(std::uint32_t value, int digits);

} // namespace Ump::Detail

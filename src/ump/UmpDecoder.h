#pragma once

#include "UmpDecoded.h"
#include "midi/UmpPacket.h"

// What a Universal MIDI Packet means, read from its bits alone: every message type, reserved
// ones named as such. A status no layout defines is named "reserved" with its number, never
// read as another message.
namespace Ump {

Decoded decode(const Packet &packet);

} // namespace Ump

#pragma once

#include "midi/UmpPacket.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace Ump {

// A packet read from a file, at the moment the file gives it (0 where it gives none).
struct Event
{
    std::int64_t stampUs = 0;
    Packet packet;
};

// The packets of a file, or the reason it was refused, naming where.
struct ReadEvents
{
    std::vector<Event> events;
    QString reason;
};

} // namespace Ump

#pragma once

#include "UmpPacket.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// The MIDI 1.0 bytes of the packets that carry MIDI 1.0: System and MIDI 1.0 channel voice
// packets one for one, SysEx7 packets put back together, each group on its own, from F0 to
// F7. A SysEx7 that another one's start or the end of the packets cuts short is kept cut
// short, without its F7, as an input keeps one.
class Midi1FromUmp
{
public:
    enum class Outcome : std::uint8_t { Carried, NotMidi1, Malformed };
    struct Translated
    {
        Outcome outcome = Outcome::Carried;
        // Whole messages, oldest first: none while a SysEx7 is still coming.
        std::vector<QByteArray> messages;
    };

    Translated take(const Ump::Packet &packet);
    // The SysEx7s still coming when the packets end, cut short, each with its group (1-16).
    std::vector<std::pair<int, QByteArray>> finish();

private:
    Translated takeSysEx7(const Ump::Packet &packet);

    struct PendingSysEx
    {
        bool open = false;
        QByteArray bytes;
    };
    std::array<PendingSysEx, 16> m_pending; // by group
};

#pragma once

#include "midi/Midi1FromUmp.h"
#include "midi/MidiMessage.h"

#include <functional>
#include <span>

// For what reads an input as MIDI 1.0 (a MIDI-CI exchange, the loop test), since an input on
// a port of UMP queues UMP packets: the packets that carry MIDI 1.0 are put back into it, a
// SysEx7 whole once its last packet came, and the others are passed by.
class Midi1Reading
{
public:
    using Take = std::function<void(std::span<const std::uint8_t>)>;

    // Calls `take` with each whole MIDI 1.0 message `message` completes, oldest first.
    void read(const MidiMessage &message, const Take &take);

private:
    Midi1FromUmp m_fromUmp;
};

#pragma once

#include "PortBackend.h"
#include "midi/Midi1FromUmp.h"

// Takes what a port of UMP hands over and gives the sink the MIDI 1.0 messages the rows
// hold: System, MIDI 1.0 channel voice and SysEx7 packets. Every other packet is counted as
// lost, so that the status bar says something was not kept rather than keeping quiet.
// Runs on the backend's reader thread, never on a real-time one: it allocates.
class UmpInputSink : public InputSink
{
public:
    explicit UmpInputSink(InputSink &target)
        : m_target(target)
    { }

    // `bytes` are whole packets, each word in the machine's own byte order.
    void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) override;
    void lost(std::uint64_t messages) override { m_target.lost(messages); }
    void missedCycles(std::uint64_t cycles) override { m_target.missedCycles(cycles); }

private:
    InputSink &m_target;
    Midi1FromUmp m_midi1;
};

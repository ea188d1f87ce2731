#pragma once

#include "PortBackend.h"

// Takes what a port of UMP hands over and gives the sink each packet whole, of whatever type,
// MIDI 1.0 in UMP and each packet of a SysEx7 included, as a file of UMP is read: the rows
// show what crossed the wire, group and all. An event that ends inside a packet is counted
// as lost, so that the status bar says something was not kept rather than keeping quiet.
// Runs on the backend's reader thread.
class UmpInputSink : public InputSink
{
public:
    explicit UmpInputSink(InputSink &target)
        : m_target(target)
    { }

    // `bytes` are whole packets, each word in the machine's own byte order.
    void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) override;
    void receiveUmp(const Ump::Packet &packet, Clock::time_point arrival) override
    {
        m_target.receiveUmp(packet, arrival);
    }
    void lost(std::uint64_t messages) override { m_target.lost(messages); }
    void missedCycles(std::uint64_t cycles) override { m_target.missedCycles(cycles); }

private:
    InputSink &m_target;
};

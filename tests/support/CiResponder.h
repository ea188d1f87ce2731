#pragma once

#include "JackPeer.h"

// A MIDI-CI device of the tests' own, on a JACK peer's ports "in" and "out": it answers a
// Discovery as MUID 0ABCDEF, Native Instruments (00 21 09) family 1 model 2 version 1.0.0.0,
// offering Property Exchange, its capabilities, and a Get of DeviceInfo with `Body` in two chunks;
// any other resource with status 404. Its answers are laid out here byte by byte, not built by
// Lumetra.
class CiResponder
{
public:
    static constexpr char Body[] = R"({"manufacturer":"Lumetra tests","model":"Responder"})";

    explicit CiResponder(JackPeer &peer)
        : m_peer(peer)
    { }

    // Answers what came since the last call; called while the test waits.
    void answer();

private:
    using Bytes = JackPeer::Bytes;

    void answerDiscovery(const Bytes &inquiry);
    void answerGet(const Bytes &request);

    JackPeer &m_peer;
    std::size_t m_answered = 0; // of the messages the peer received
};

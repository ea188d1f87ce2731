#pragma once

#include "ports/DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "support/JackPeer.h"

#include <stdexcept>
#include <type_traits>

// Another program's ports, one to listen to and one to send to.
struct Peer : JackPeer
{
    Peer()
        : JackPeer("PeerSynth")
    {
        addPort("out", true);
        addPort("in", false);
    }
};

// A port component opened on the peer's port of the other direction, as the program opens it.
template<typename Component>
struct OpenedOnPeer
{
    Peer peer;
    Component port {PortSystem::createDefault()};

    OpenedOnPeer()
    {
        constexpr bool input = std::is_same_v<Component, MIDIInput>;
        const int device = int(DeviceSelection::deviceNames(port).indexOf(
            "JACK: " + peer.fullName(input ? "out" : "in")));
        if (device < 0)
            throw std::runtime_error("the peer's port is not listed");
        if constexpr (input)
            DeviceSelection::openInputDevice(port, std::int16_t(device));
        else
            DeviceSelection::openOutputDevice(port, std::int16_t(device));
        // What the peer sends before the server joined the two ports is lost, as on a wire.
        if (!peer.connectedWithin(input ? "out" : "in", 5000))
            throw std::runtime_error("the peer's port was never connected");
    }
};
using Listening = OpenedOnPeer<MIDIInput>;
using Sending = OpenedOnPeer<MIDIOutput>;

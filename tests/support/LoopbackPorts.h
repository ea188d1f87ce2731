#pragma once

#include "ports/DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortSystem.h"

// The real port components on the loopback device, opened the way the program opens them:
// what goes out on `output` arrives on `input`.
struct LoopbackPorts
{
    std::shared_ptr<PortSystem> ports = PortSystem::createLoopbackOnly();
    MIDIInput input {ports};
    MIDIOutput output {ports};

    LoopbackPorts()
    {
        DeviceSelection::openOutputDevice(output, 0);
        DeviceSelection::openInputDevice(input, 0);
    }
};

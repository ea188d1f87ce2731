#pragma once

#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"

#include <initializer_list>

// Sends a status and the data bytes given, as the Sender writes the output's members.
inline void sendMessage(
    MIDIOutput &output, std::int16_t status, std::initializer_list<std::int16_t> data = {})
{
    output.setMessageStatus(status);
    if (data.size() >= 1)
        output.setMessageData1(data.begin()[0]);
    if (data.size() >= 2)
        output.setMessageData2(data.begin()[1]);
    output.setCommand(CommandSend);
}

inline void sendSysEx(MIDIOutput &output, const QByteArray &bytes)
{
    output.setMessageStatus(0xF0);
    output.setMessageSysEx(bytes);
    output.setCommand(CommandSend);
}

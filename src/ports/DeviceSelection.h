#pragma once

#include <QStringList>
#include <cstdint>

class MIDIInput;
class MIDIOutput;
class MidiPort;

// Listing devices and switching a port to another device. Throws PortError.
namespace DeviceSelection {

// The names in device-index order, read device by device through DeviceIndex.
QStringList deviceNames(MidiPort &port);

// The list entry that start-up selects for a remembered device: the one of that name when it
// is listed, else the remembered index when the list has that entry, else the first.
// Throws PortError for an empty list.
int entryToSelect(
    const QString &rememberedName, std::int16_t rememberedIndex, const QStringList &names);

// Closes the port if it is open; what its device sent last then waits in the queue.
void closeIfOpen(MidiPort &port);

// Closes the input if open, points it at the device, opens and starts it.
void openInputDevice(MIDIInput &input, std::int16_t deviceIndex);

// Closes the output if open, points it at the device and opens it.
void openOutputDevice(MIDIOutput &output, std::int16_t deviceIndex);

} // namespace DeviceSelection

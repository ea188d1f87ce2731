#include "DeviceSelection.h"

#include "MIDIInput.h"
#include "MIDIOutput.h"
#include "PortCommand.h"
#include "PortError.h"

namespace DeviceSelection {
namespace {

    constexpr std::int16_t InputPreOpenSetting = 300;

} // namespace

void closeIfOpen(MidiPort &port)
{
    if (port.PortState() >= 1)
        port.setCommand(CommandClose);
}

QStringList deviceNames(MidiPort &port)
{
    QStringList names;
    const std::int16_t count = port.DeviceCount();
    for (std::int16_t i = 0; i < count; ++i) {
        port.setDeviceIndex(i);
        names << port.DeviceName();
    }
    return names;
}

int entryToSelect(
    const QString &rememberedName, std::int16_t rememberedIndex, const QStringList &names)
{
    if (names.isEmpty())
        throw PortError(QStringLiteral("There is no MIDI device to choose."));
    if (const qsizetype named = names.indexOf(rememberedName);
        !rememberedName.isEmpty() && named >= 0)
        return int(named);
    return rememberedIndex > names.size() - 1 || rememberedIndex < 0 ? 0 : rememberedIndex;
}

void openInputDevice(MIDIInput &input, std::int16_t deviceIndex)
{
    input.setPreOpenSetting(InputPreOpenSetting);
    closeIfOpen(input);
    input.setDeviceIndex(deviceIndex);
    input.setCommand(CommandOpen);
    input.setCommand(CommandStart);
}

void openOutputDevice(MIDIOutput &output, std::int16_t deviceIndex)
{
    closeIfOpen(output);
    output.setDeviceIndex(deviceIndex);
    output.setCommand(CommandOpen);
}

} // namespace DeviceSelection

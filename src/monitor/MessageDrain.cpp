#include "MessageDrain.h"

#include "EventGridModel.h"
#include "modFormat.h"
#include "ports/MIDIInput.h"
#include "ports/PortCommand.h"

namespace MessageDrain {
namespace {

    void addRow(const MidiMessage &message, bool hideSysEx, EventGridModel &rows)
    {
        const auto timestamp = std::int32_t(message.timestampMs);
        if (!message.sysEx.isEmpty()) {
            if (!hideSysEx)
                rows.appendSysExRow(message.sysEx, timestamp);
            return;
        }
        const std::uint8_t bytes[] = {message.status, message.data1, message.data2};
        rows.appendRow(modFormat::FormatReceivedRow(std::span(bytes, message.size), timestamp));
    }

} // namespace

int drain(MIDIInput &input, bool hideSysEx, EventGridModel &rows,
    std::chrono::steady_clock::duration budget, int atLeast)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + budget;
    int taken = 0;
    while (const MidiMessage *message = input.currentMessage()) {
        // Checking the clock every few hundred rows keeps it off the per-message cost.
        if (taken >= atLeast && taken % 256 == 255 && Clock::now() >= deadline) {
            input.requestMessagesWaiting();
            return taken;
        }
        addRow(*message, hideSysEx, rows);
        input.setCommand(CommandDropCurrent);
        ++taken;
    }
    return taken;
}

} // namespace MessageDrain

#include "MessageDrain.h"

#include "modFormat.h"
#include "ports/MIDIInput.h"
#include "ports/PortCommand.h"

namespace MessageDrain {

bool drain(MIDIInput &input, bool hideSysEx, const std::function<void(const std::string &)> &addRow,
    std::chrono::steady_clock::duration budget, int atLeast)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + budget;
    int handled = 0;
    while (const MidiMessage *message = input.currentMessage()) {
        // Checking the clock every few hundred rows keeps it off the per-message cost.
        if (handled >= atLeast && handled % 256 == 255 && Clock::now() >= deadline) {
            input.requestMessagesWaiting();
            return true;
        }
        if (!message->sysEx.isEmpty()) {
            if (!hideSysEx)
                addRow(
                    modFormat::FormatSysExRow(message->sysEx, std::int32_t(message->timestampMs)));
        } else {
            addRow(modFormat::FormatMessageRow(message->status, message->data1, message->data2,
                std::int32_t(message->timestampMs)));
        }
        input.setCommand(CommandDropCurrent);
        ++handled;
    }
    return false;
}

} // namespace MessageDrain

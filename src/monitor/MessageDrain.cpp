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
    for (int handled = 1; input.MessageCount() > 0; ++handled) {
        // Checking the clock every few hundred rows keeps it off the per-message cost.
        if (handled > atLeast && handled % 256 == 0 && Clock::now() >= deadline)
            return true;
        const QByteArray sysEx = input.MessageSysEx();
        if (!sysEx.isEmpty()) {
            if (!hideSysEx)
                addRow(modFormat::FormatSysExRow(sysEx, input.MessageTimestamp()));
        } else {
            addRow(modFormat::FormatMessageRow(input.MessageStatus(), input.MessageData1(),
                input.MessageData2(), input.MessageTimestamp()));
        }
        input.setCommand(CommandDropCurrent);
    }
    return false;
}

} // namespace MessageDrain

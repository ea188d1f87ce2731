#include "MessageDrain.h"

#include "EventGridModel.h"
#include "ports/MIDIInput.h"
#include "ports/PortCommand.h"

namespace MessageDrain {
namespace {

    void store(const MidiMessage &message, CaptureStore::Source source, bool hideSysEx,
        CaptureStore &store)
    {
        const std::int64_t stamp = store.stampOf(message.arrival);
        if (!message.sysEx.isEmpty()) {
            if (!hideSysEx)
                store.append(Origin::Received, source, stamp, message.sysEx);
            return;
        }
        const std::uint8_t bytes[] = {message.status, message.data1, message.data2};
        store.append(Origin::Received, source, stamp, std::span(bytes, message.size));
    }

} // namespace

int drain(MIDIInput &input, CaptureStore::Source source, bool hideSysEx, EventGridModel &rows,
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
        store(*message, source, hideSysEx, rows.store());
        input.setCommand(CommandDropCurrent);
        ++taken;
    }
    return taken;
}

} // namespace MessageDrain

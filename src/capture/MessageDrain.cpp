#include "MessageDrain.h"

#include "midi/UmpFilterStatus.h"
#include "ports/MIDIInput.h"
#include "ports/PortCommand.h"

namespace MessageDrain {
namespace {

    using Clock = std::chrono::steady_clock;

    // A SysEx that waited in the queue when the filter came on is kept out, as in store().
    bool storeUmp(const QByteArray &words, CaptureStore::Source source, std::int64_t stamp,
        bool hideSysEx, CaptureStore &store)
    {
        const Ump::Packet packet = Ump::packetOfBytes(std::span(
            reinterpret_cast<const std::uint8_t *>(words.constData()), std::size_t(words.size())));
        if (hideSysEx && Ump::filterStatusOf(packet) == SysExStatus)
            return true;
        return store.appendUmp(Origin::Received, source, stamp, packet);
    }

    // False when the store had no memory left for it.
    bool store(const MidiMessage &message, CaptureStore::Source source, bool hideSysEx,
        CaptureStore &store)
    {
        const std::int64_t stamp = store.stampOf(message.arrival);
        // A UMP packet's words lie where a SysEx's bytes do: a short message pays no test.
        if (!message.sysEx.isEmpty() && message.ump)
            return storeUmp(message.sysEx, source, stamp, hideSysEx, store);
        if (!message.sysEx.isEmpty())
            return hideSysEx || store.append(Origin::Received, source, stamp, message.sysEx);
        const std::uint8_t bytes[] = {message.status, message.data1, message.data2};
        return store.append(Origin::Received, source, stamp, std::span(bytes, message.size));
    }

    // The oldest waiting message of an input; an empty queue is seen without taking its lock.
    const MidiMessage *waiting(MIDIInput &input)
    {
        return input.MessageCount() > 0 ? input.currentMessage() : nullptr;
    }

    // The feed whose waiting message arrived first, and until when it may go on before
    // another feed's message is due.
    struct Turn
    {
        Feed *feed = nullptr;
        Clock::time_point until = Clock::time_point::max();
    };

    Turn nextTurn(std::span<Feed> feeds)
    {
        Turn turn;
        Clock::time_point first = Clock::time_point::max();
        for (Feed &feed : feeds) {
            const MidiMessage *message = waiting(*feed.input);
            if (!message)
                continue;
            if (!turn.feed || message->arrival < first) {
                turn.until = turn.feed ? first : turn.until;
                first = message->arrival;
                turn.feed = &feed;
            } else {
                turn.until = std::min(turn.until, message->arrival);
            }
        }
        return turn;
    }

} // namespace

int drain(std::span<Feed> feeds, bool hideSysEx, CaptureStore &rows, Limits limits)
{
    const Clock::time_point deadline = Clock::now() + limits.budget;
    int taken = 0;
    for (Turn turn = nextTurn(feeds); turn.feed; turn = nextTurn(feeds)) {
        MIDIInput &input = *turn.feed->input;
        while (const MidiMessage *message = input.currentMessage()) {
            if (message->arrival > turn.until)
                break;
            // Checking the clock every few hundred rows keeps it off the per-message cost.
            const bool outOfTime
                = taken >= limits.atLeast && taken % 256 == 255 && Clock::now() >= deadline;
            if (outOfTime || taken >= limits.atMost) {
                for (Feed &feed : feeds)
                    if (feed.input->MessageCount() > 0)
                        feed.input->requestMessagesWaiting();
                return taken;
            }
            if (!turn.feed->source)
                ++turn.feed->unnamed;
            else if (store(*message, *turn.feed->source, hideSysEx, rows))
                ++turn.feed->taken;
            else
                ++turn.feed->unstored;
            input.setCommand(CommandDropCurrent);
            ++taken;
        }
    }
    return taken;
}

int drain(MIDIInput &input, CaptureStore::Source source, bool hideSysEx, CaptureStore &rows,
    Limits limits)
{
    Feed feed {&input, source};
    return drain(std::span(&feed, 1), hideSysEx, rows, limits);
}

} // namespace MessageDrain

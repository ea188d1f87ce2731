#pragma once

#include "capture/CaptureStore.h"

#include <chrono>
#include <cstdint>
#include <span>

class EventGridModel;
class MIDIInput;

namespace MessageDrain {

// An input component and the source its messages are stored as.
struct Feed
{
    MIDIInput *input;
    CaptureStore::Source source;
    std::uint64_t taken = 0; // messages stored from it so far
};

// Stores the waiting messages of the inputs as received from their sources in the grid's
// model (which the view learns of when the model is committed), dropping each from its
// queue, messages that arrive meanwhile included: of several inputs, the one that arrived
// first goes first, so that the rows make one timeline. Stops once `budget` is spent and at
// least `atLeast` were taken, so that a flood cannot hold the window for long, and then asks
// the inputs for another MessagesWaiting. Returns how many messages it took.
int drain(std::span<Feed> feeds, bool hideSysEx, EventGridModel &rows,
    std::chrono::steady_clock::duration budget, int atLeast = 0);
// The same for one input.
int drain(MIDIInput &input, CaptureStore::Source source, bool hideSysEx, EventGridModel &rows,
    std::chrono::steady_clock::duration budget, int atLeast = 0);

} // namespace MessageDrain

#pragma once

#include "CaptureStore.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

class MIDIInput;

namespace MessageDrain {

// An input component and the source its messages are stored as: none when the store had
// no room left to name it.
struct Feed
{
    MIDIInput *input;
    std::optional<CaptureStore::Source> source;
    std::uint64_t taken = 0; // messages stored from it so far
    std::uint64_t unnamed = 0; // messages let go as the feed has no source
    std::uint64_t unstored = 0; // messages let go as the store's memory ran out
};

// How much one pass may take.
struct Limits
{
    std::chrono::steady_clock::duration budget;
    int atLeast = 0;
    // Never more than this, however much waits: a run that ends after a count.
    int atMost = std::numeric_limits<int>::max();
};

// Stores the waiting messages of the inputs as received from their sources in `rows`,
// dropping each from its queue, messages that arrive meanwhile included: of several inputs,
// the one that arrived first goes first, so that the rows make one timeline. Stops once the
// budget is spent and at least `atLeast` were taken, so that a flood cannot hold the program
// for long, and then asks the inputs for another MessagesWaiting. Returns how many messages
// it took.
int drain(std::span<Feed> feeds, bool hideSysEx, CaptureStore &rows, Limits limits);
// The same for one input.
int drain(MIDIInput &input, CaptureStore::Source source, bool hideSysEx, CaptureStore &rows,
    Limits limits);

} // namespace MessageDrain

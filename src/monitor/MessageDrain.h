#pragma once

#include "capture/CaptureStore.h"

#include <chrono>

class EventGridModel;
class MIDIInput;

namespace MessageDrain {

// Stores the waiting messages of the input component as received from `source` in the
// grid's model (which the view learns of when the model is committed), dropping each from
// the queue, oldest first, messages that arrive meanwhile included. Stops once `budget` is
// spent and at least `atLeast` were taken, so that a flood cannot hold the window for long,
// and then asks the input for another MessagesWaiting. Returns how many messages it took
// from the queue.
int drain(MIDIInput &input, CaptureStore::Source source, bool hideSysEx, EventGridModel &rows,
    std::chrono::steady_clock::duration budget, int atLeast = 0);

} // namespace MessageDrain

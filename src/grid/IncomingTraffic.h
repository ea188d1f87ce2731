#pragma once

#include "capture/InputFeeds.h"
#include "ports/InputSet.h"

#include <QString>
#include <chrono>
#include <functional>
#include <vector>

class EventGrid;
class EventGridModel;
class MIDIInput;
class QLabel;

// Brings what the watched inputs queued into the grid, each input as a source of its own,
// and keeps the notice of messages they had to turn away, so that nothing is ever dropped in
// silence.
class IncomingTraffic
{
public:
    // How long one pass may go on taking new arrivals before the window gets to paint and
    // handle the user.
    static constexpr std::chrono::milliseconds PassBudget {16};

    // What came from one source, for the status bar.
    using SourceCount = InputFeeds::SourceCount;

    IncomingTraffic(InputSet &inputs, EventGrid &grid, EventGridModel &rows, QLabel &dropNotice,
        std::function<bool()> hideSysEx);

    // Appends the waiting messages as rows: at least `atLeast` of them, then as many as the
    // pass budget allows; the inputs are asked to come back for the rest. Returns how many
    // messages it took.
    int drain(int atLeast = 0);
    // Everything waiting now, whatever it costs: before a file is written, say.
    int drainAll();
    // Everything one input has waiting: it is about to close or to change its device.
    void takeRest(MIDIInput &input);
    // The input was started on the port of that name: what comes next is its traffic, on
    // its clock.
    void portStarted(MIDIInput &input, const QString &portName);
    // The grid shows another store now (a capture opened from a file): each input's traffic
    // goes on as a source of that store, its clock from where it started.
    void storeReplaced();
    // The input is gone from the set.
    void forget(MIDIInput &input);

    // Forgets the counts of messages turned away or filtered out; returns them for
    // restoreCounts.
    InputSet::Counts resetCounts();
    void restoreCounts(const InputSet::Counts &counts);
    std::uint64_t droppedCount() const;
    std::uint64_t filteredCount() const;
    std::vector<SourceCount> sourceCounts() const;

private:
    MessageDrain::Limits passLimits(int atLeast = 0) const { return {PassBudget, atLeast}; }
    void showDropCount();

    InputSet &m_inputs;
    EventGrid &m_grid;
    QLabel &m_dropNotice;
    std::function<bool()> m_hideSysEx;
    InputFeeds m_feeds;
};

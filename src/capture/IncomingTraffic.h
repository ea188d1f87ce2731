#pragma once

#include "InputFeeds.h"
#include "ports/InputSet.h"

#include <QObject>
#include <chrono>
#include <cstdint>
#include <vector>

class CaptureDocument;
class MIDIInput;

// Brings what the watched inputs queued into the document, each input as a source of its
// own, and says what they had to turn away, so that nothing is ever dropped in silence.
class IncomingTraffic : public QObject
{
    Q_OBJECT

public:
    // How long one pass may go on taking new arrivals before the window gets to paint and
    // handle the user.
    static constexpr std::chrono::milliseconds PassBudget {16};

    // What came from one source, for the status bar.
    using SourceCount = InputFeeds::SourceCount;
    // What did not reach the document.
    struct Losses
    {
        std::uint64_t dropped = 0; // turned away by the inputs
        std::uint64_t xruns = 0; // late cycles of the JACK server
        std::uint64_t unnamed = 0; // of inputs past the most sources a capture names
        bool outOfMemory = false;

        bool operator==(const Losses &) const = default;
    };

    IncomingTraffic(InputSet &inputs, CaptureDocument &document, QObject *parent = nullptr);

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
    // The input is gone from the set.
    void forget(MIDIInput &input);

    // Forgets the counts of messages turned away or filtered out; returns them for
    // restoreCounts.
    InputSet::Counts resetCounts();
    void restoreCounts(const InputSet::Counts &counts);
    std::uint64_t droppedCount() const;
    std::uint64_t filteredCount() const;
    std::vector<SourceCount> sourceCounts() const;
    Losses losses() const;

signals:
    void lossesChanged(const IncomingTraffic::Losses &losses);

private:
    MessageDrain::Limits passLimits(int atLeast = 0) const { return {PassBudget, atLeast}; }
    bool hideSysEx() const;
    void stored();
    void tellLosses();

    InputSet &m_inputs;
    CaptureDocument &m_document;
    InputFeeds m_feeds;
    Losses m_told;
};

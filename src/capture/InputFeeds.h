#pragma once

#include "CaptureStore.h"
#include "MessageDrain.h"

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

class MIDIInput;

// One feed for each input that was started: which source of the store its traffic goes to,
// on the clock of its own start, and how much of it was taken. What the window and the
// command line both keep of the inputs they drain.
class InputFeeds
{
public:
    // What came from one source.
    struct SourceCount
    {
        QString name;
        std::uint64_t received = 0; // stored since the input started
        std::uint64_t dropped = 0;
        std::uint64_t xruns = 0;
    };

    // The store outlives the feeds; it may be given other contents (see storeReplaced).
    explicit InputFeeds(CaptureStore &store);

    // Stores what the inputs queued, within the limits; returns how many messages it took.
    int drain(bool hideSysEx, MessageDrain::Limits limits);
    // Everything one input has waiting: it is about to close or to change its device.
    void takeRest(MIDIInput &input, bool hideSysEx, MessageDrain::Limits limits);
    // The input was started on the port of that name: what comes next is its traffic, on
    // its clock.
    void portStarted(MIDIInput &input, const QString &portName);
    // The store holds other rows now (a capture read from a file): each input's traffic goes
    // on as a source of it, its clock from where it started.
    void storeReplaced();
    // The input is gone.
    void forget(MIDIInput &input);

    std::span<const MessageDrain::Feed> feeds() const { return m_feeds; }
    std::vector<SourceCount> sourceCounts() const;
    // Messages the inputs turned away, and the most late cycles any of them saw (the JACK
    // inputs share one client, and each counts every late cycle of the server).
    std::uint64_t dropped() const;
    std::uint64_t xruns() const;
    // Messages let go because the store had no room to name their input's source.
    std::uint64_t unnamed() const;
    bool outOfMemory() const { return m_store.outOfMemory(); }

private:
    MessageDrain::Feed *feedOf(MIDIInput &input);
    void startSource(MessageDrain::Feed &feed, const QString &portName);

    CaptureStore &m_store;
    std::vector<MessageDrain::Feed> m_feeds;
};

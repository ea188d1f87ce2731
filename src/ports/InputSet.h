#pragma once

#include "InputChoice.h"
#include "MIDIInput.h"
#include "MessageQueue.h"

#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class MIDIInput;
class PortSystem;
class PortTaps;
struct DeviceEntry;

// The inputs watched at once: the window's own input component, opened on the device the
// "MIDI In" list shows, and beside it one component for each further input chosen, each a
// byte stream of its own. What applies to watching (the filter, holding notifications back)
// applies to every input alike, those that come later included.
class InputSet : public QObject
{
    Q_OBJECT

public:
    InputSet(MIDIInput &first, std::shared_ptr<PortSystem> ports, MessageQueue::Bounds bounds,
        QObject *parent = nullptr);
    ~InputSet() override;

    // The first input, then the others, in the order chosen.
    const std::vector<MIDIInput *> &inputs() const { return m_inputs; }
    // The device names the further inputs watch (or wait for).
    QStringList furtherNames() const;
    bool isWatchingSeveral() const { return m_all || !m_further.empty(); }

    // Watches the inputs of `choice` other than its first beside the first input (which the
    // caller opens); with `all`, every listed input but the first's, as they come and go.
    // An input already watched goes on unbroken. Throws PortError.
    void watchBeside(const InputChoice &choice, const QString &firstName);
    // Back to the first input alone.
    void closeFurther();
    // Closes the first input if it is open and starts it again with `open`, on the device of
    // that name: what it queued last comes first (inputClosed), on its old clock, and its
    // traffic after counts from the new start (inputStarted). Throws what `open` throws.
    void restartFirst(const std::function<void()> &open, const QString &deviceName);

    // The ports of other programs tapped beside the inputs watched.
    PortTaps &taps() { return *m_taps; }
    // An input of the set on `feeder`, its rows of the source `sourceName`, followed by the
    // caller rather than by its device's name. Throws PortError.
    MIDIInput &addFeed(const DeviceEntry &feeder, const QString &sourceName);
    void removeFeed(MIDIInput &input);
    bool hasFeeds() const { return !m_feeds.empty(); }
    // The sources the inputs' rows carry, the first input's first.
    QStringList sourceNames() const;

    void setEventsEnabled(bool enabled);
    void setStatusFilter(int status, bool withhold);
    bool filtersStatus(int status) const
    {
        return status >= 0 && status < int(m_statusFilter.size())
            && m_statusFilter[std::size_t(status)];
    }
    // Every input keeps the messages these match out of the capture.
    void setHiddenPatterns(const std::vector<BytePattern> &patterns);
    // The inputs of these device names keep their traffic out of the capture.
    void setWithheld(const QStringList &names);
    const QStringList &withheld() const { return m_withheld; }

    int messageCount() const;
    std::uint64_t droppedCount() const;
    std::uint64_t filteredCount() const;
    // Forgets every input's counts; returns them, input by input, for restoreCounts.
    using Counts = std::vector<std::pair<const MIDIInput *, MIDIInput::Counts>>;
    Counts resetCounts();
    // Adds counts forgotten before back, to the inputs still here.
    void restoreCounts(const Counts &counts);

signals:
    // One of the inputs has messages waiting, or a count of those lost changed.
    void MessagesWaiting();
    // An input was started on the device of that name.
    void inputStarted(MIDIInput &input, const QString &deviceName);
    // An input was just closed: what it queued last is to be taken now.
    void inputClosed(MIDIInput &input);
    // A further input is about to go, after inputClosed.
    void inputLeaving(MIDIInput &input);
    // An input came, went or changed its state (the set, a device gone or back).
    void inputsChanged();

private:
    void followAll();
    std::unique_ptr<MIDIInput> makeInput();
    MIDIInput &adopt(std::unique_ptr<MIDIInput> input,
        std::vector<std::unique_ptr<MIDIInput>> &owner, const QString &sourceName);
    void add(const QString &name);
    bool tryToAdd(const QString &name);
    void remove(std::vector<std::unique_ptr<MIDIInput>> &owner, std::size_t index);

    MIDIInput &m_first;
    std::shared_ptr<PortSystem> m_ports;
    const MessageQueue::Bounds m_bounds;
    std::vector<MIDIInput *> m_inputs; // m_first, then the further ones
    std::vector<std::unique_ptr<MIDIInput>> m_further;
    std::vector<std::unique_ptr<MIDIInput>> m_feeds; // opened for the taps
    QString m_firstName; // the device of the first input while several are watched
    bool m_all = false;
    bool m_eventsEnabled = true;
    std::array<bool, 256> m_statusFilter {};
    QStringList m_withheld;
    std::vector<BytePattern> m_hiddenPatterns;
    // Last, so that it goes first: it holds the feeds' inputs.
    std::unique_ptr<PortTaps> m_taps;
};

#pragma once

#include "MessageQueue.h"
#include "MidiPort.h"
#include "midi/BytePattern.h"
#include "midi/MessageAssembler.h"

#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <atomic>
#include <chrono>
#include <mutex>

// The input port component. A backend thread hands it bytes; it stamps, filters and queues
// them, and tells the UI thread with MessagesWaiting, once per burst. The program reads the
// oldest queued message through the Message* members and drops it with CommandDropCurrent.
class MIDIInput : public MidiPort, private InputSink
{
    Q_OBJECT

public:
    explicit MIDIInput(std::shared_ptr<PortSystem> ports, QObject *parent = nullptr,
        MessageQueue::Bounds queueBounds = {});
    ~MIDIInput() override;

    std::int16_t PortState() const override;
    void setCommand(std::int16_t command) override;

    // Kept for the port interface; this implementation needs no setting before opening.
    void setPreOpenSetting(std::int16_t) { }

    // Closes the port, then opens the device of that name and starts it, or starts waiting
    // for it to be listed and then opens it by itself. Throws PortError.
    void watch(const QString &deviceName);

    // Closes the port, then opens `feeder` and starts it, its rows of the source
    // `sourceName`. The caller follows the feeder: the port does not wait for it by name.
    // Throws PortError.
    void feedFrom(const DeviceEntry &feeder, const QString &sourceName);
    // The name this input's rows carry: its device's, or the one it was fed under.
    QString sourceName() const
    {
        return m_sourceName.isEmpty() ? chosenDeviceName() : m_sourceName;
    }
    // Whether the port is open on a device that is still there.
    bool isConnected() const { return connectionAlive(); }

    // The current message is the oldest queued one; all read 0 or empty when none waits.
    int MessageCount() const { return int(m_queue.size()); }
    std::int16_t MessageStatus();
    std::int16_t MessageData1();
    std::int16_t MessageData2();
    std::int32_t MessageTimestamp();
    // Empty for a UMP packet, which is no SysEx: currentMessage() holds its words.
    QByteArray MessageSysEx();
    // The current message whole, or nullptr: for the program's own drain, which needs no
    // copy of a SysEx.
    const MidiMessage *currentMessage() { return m_queue.front(); }

    // When the input was last started: the moment its stamps count from.
    Clock::time_point StartedAt() const
    {
        return Clock::time_point(Clock::duration(m_startTicks.load()));
    }

    // While false, messages keep queueing but MessagesWaiting is held back.
    void setEventsEnabled(bool enabled);
    bool EventsEnabled() const { return m_eventsEnabled; }

    // True withholds every message with this status byte (SysEx counts as 0xF0); a UMP packet
    // is judged by the MIDI 1.0 status it stands for, if any (see Ump::filterStatusOf).
    void setStatusFilter(int status, bool withhold);
    bool StatusFilter(int status) const;
    // Withholds every message that one of the patterns matches. Patterns are of MIDI 1.0
    // bytes: they pass UMP packets by.
    void setHiddenPatterns(std::vector<BytePattern> patterns);
    // True withholds every message: the user hid this input's traffic.
    void setWithheld(bool withheld) { m_withheld.store(withheld, std::memory_order_relaxed); }

    // For a handler that stopped before the queue was empty: MessagesWaiting comes again.
    void requestMessagesWaiting() { requestNotification(); }

    // Messages lost because the queue was full (or a SysEx outgrew it), since the last reset.
    std::uint64_t DroppedCount() const { return m_queue.droppedCount(); }
    // Cycles in which the JACK server ran late while this input was open, since the last
    // reset: messages may be missing that no one could count.
    std::uint64_t XrunCount() const { return m_xruns.load(std::memory_order_relaxed); }
    // Messages the filter kept out (a status, a pattern or the whole input withheld), since
    // the last reset.
    std::uint64_t FilteredCount() const { return m_filtered.load(std::memory_order_relaxed); }

    // The three counts together, so that forgetting them can be taken back.
    struct Counts
    {
        std::uint64_t dropped = 0;
        std::uint64_t xruns = 0;
        std::uint64_t filtered = 0;
    };
    // Forgets the counts; returns what they were.
    Counts resetCounts();
    // Adds counts forgotten before back to the present ones.
    void restoreCounts(const Counts &counts);

signals:
    // Messages wait in the queue, or a count of those lost changed.
    void MessagesWaiting();

private:
    void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) override;
    void receiveUmp(const Ump::Packet &packet, Clock::time_point arrival) override;
    void lost(std::uint64_t messages) override;
    void missedCycles(std::uint64_t cycles) override;
    void countChanged();
    void enqueue(std::span<const std::uint8_t> bytes, Clock::time_point arrival);
    void countFiltered();
    void push(MidiMessage &&message);
    void checkHeldMessage();
    bool connectionAlive() const override;
    void dropConnection() override;
    void reconnect(const DeviceEntry &device) override;
    void requestNotification();
    void notify();
    void open();
    void closeForNewDevice();
    void start();
    void close();

    MessageQueue m_queue;
    // The backend thread feeds the assembler; the UI thread passes on a message it holds
    // that no further piece completed (checkHeldMessage) and what is open at a close.
    std::mutex m_assemblerMutex;
    MessageAssembler m_assembler; // guarded by m_assemblerMutex
    // Read as the assembler delivers, under its lock; few, and changed only by the user.
    std::vector<BytePattern> m_hiddenPatterns; // guarded by m_assemblerMutex
    // Made once: a callable made per piece would cost an allocation at every message.
    const MessageAssembler::Deliver m_deliver;
    const MessageAssembler::Oversize m_oversize;
    bool m_staleCheckPending = false; // guarded by m_assemblerMutex
    std::unique_ptr<InputConnection> m_connection;
    QString m_sourceName; // set while fed (see feedFrom)
    std::array<std::atomic<bool>, 256> m_statusFilter {};
    std::atomic<bool> m_withheld {false};
    std::atomic<bool> m_receiving {false};
    std::atomic<bool> m_notificationPending {false};
    // A stream that never pauses is told of at most once a spacing (see notify): a little
    // less than a frame, so that what came is shown with the next frame.
    static constexpr std::chrono::milliseconds NoticeSpacing {25};
    QElapsedTimer m_sinceNotice; // UI thread
    QTimer m_spacedNotice; // UI thread
    std::atomic<bool> m_lossUnseen {false}; // a count changed with nothing queued to tell it
    std::atomic<std::uint64_t> m_xruns {0};
    std::atomic<std::uint64_t> m_filtered {0};
    std::atomic<Clock::rep> m_startTicks {0};
    bool m_eventsEnabled = true;
};

#pragma once

#include "LoopReport.h"
#include "LoopTally.h"
#include "ports/Midi1Reading.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class MIDIInput;
class MIDIOutput;
class PortSystem;

// What a loop test sends.
struct LoopSettings
{
    enum class Pattern { Channel, Burst, SysEx };

    Pattern pattern = Pattern::Channel;
    // Messages a second; of a burst, the messages sent at once, once a second.
    int rate = 1000;
    double seconds = 5;
    std::size_t sysExSize = 256; // of each dump of the SysEx pattern
};

// Measures a MIDI path: sends numbered messages from an output of its own and reads them
// back on an input of its own, through whatever lies between (a cable, a device's MIDI thru,
// a network bridge, another program). A probe goes first, again and again until it comes
// back, so that a path still being set up (a connection made a moment later, a device
// waking) costs the run nothing. Runs on the thread it lives on, which must have an event
// loop; the window's own ports go on as they were.
class LoopTest : public QObject
{
    Q_OBJECT

public:
    // What may come back after the last message was sent, and the longest silence of a path
    // that returns nothing at all.
    static constexpr std::chrono::seconds Patience {2};
    static constexpr std::chrono::milliseconds ProbeInterval {50};

    explicit LoopTest(std::shared_ptr<PortSystem> ports, QObject *parent = nullptr);
    ~LoopTest() override;

    // Opens both ports (named as the lists show them), unless they are held open, and
    // starts; throws PortError.
    void start(const LoopReport::Path &path, const LoopSettings &settings);
    // Opens the path's ports and keeps them open between runs, so that other programs can be
    // connected to them before a run (Lumetra's virtual ports exist only while open): until
    // releasePorts(), or another path is held. Throws PortError.
    void holdPorts(const LoopReport::Path &path);
    void releasePorts();
    // Ends the test now; the results count what came back so far.
    void stop();
    bool isRunning() const { return m_pace.isActive(); }
    const LoopReport::Path &path() const { return m_path; }
    LoopResults results() const;

signals:
    // The results changed; a few times a second at most.
    void progressed();
    void finished();

private:
    void tick();
    void probe(std::chrono::steady_clock::time_point now);
    void sendDue(std::chrono::steady_clock::time_point now);
    void takeArrivals();
    void takeWrittenMoments();
    void take(std::span<const std::uint8_t> message, std::chrono::steady_clock::time_point arrival);
    void finish(const QString &failure = {});
    void openPorts(const LoopReport::Path &path);
    void dropWaiting();
    std::uint64_t dueBy(double seconds) const;
    std::int64_t sinceStartUs(std::chrono::steady_clock::time_point moment) const;

    std::shared_ptr<PortSystem> m_ports;
    std::unique_ptr<MIDIInput> m_input;
    Midi1Reading m_midi1; // what m_input queues, as MIDI 1.0
    std::unique_ptr<MIDIOutput> m_output;
    LoopReport::Path m_path;
    LoopSettings m_settings;
    LoadMessages::Mix m_mix = LoadMessages::Mix::Channel;
    std::optional<LoopTally> m_tally;
    std::uint64_t m_total = 0; // messages the test sends in all
    std::vector<std::uint8_t> m_message;
    std::chrono::steady_clock::time_point m_start; // of the probe, then of the run
    std::optional<std::chrono::steady_clock::time_point> m_lastSent; // by the probe, then the run
    bool m_probing = false;
    std::uint64_t m_probesSent = 0; // by a port that tells when it wrote them
    QTimer m_pace;
    QTimer m_progress;
    QString m_failure;
    std::uint64_t m_xruns = 0; // of the input during the run, once it ended
    std::uint64_t m_xrunsBefore = 0; // of the input held open, when the run began
    std::uint64_t m_writtenBefore = 0; // by the output held open, when the run began
    LoopReport::Path m_openPath; // of the ports open now
    bool m_held = false; // the ports stay open after a run
    bool m_taking = false; // arrivals count: a run is on
};

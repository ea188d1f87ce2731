#pragma once

#include "ToolOptions.h"
#include "capture/CaptureDocument.h"
#include "capture/InputFeeds.h"

#include <QObject>
#include <QTimer>
#include <memory>

class CaptureOutput;
class InputSet;
class MIDIInput;
class PortSystem;

// Takes in what arrives on the chosen inputs, as the window does but with no window, and
// hands it to an output; ends at its count or time, or when asked, with everything
// received written.
class CaptureRun : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        InputChoice inputs;
        modFilter::FilterChecks filter;
        QStringList withheldInputs;
        RunEnd end;
        TrafficSelection selection = {};
        std::vector<BytePattern> hiddenPatterns = {};
        QStringList taps = {}; // beside the inputs, or in their place
    };

    CaptureRun(std::shared_ptr<PortSystem> ports, Settings settings, CaptureOutput &output,
        QObject *parent = nullptr);
    ~CaptureRun() override;

    // Opens the inputs and starts taking their traffic in. Throws PortError.
    void start();
    // Ends that long from now, unless it ended before.
    void endAfter(std::chrono::milliseconds time);
    // Takes in what waits, writes everything and ends.
    void stop();

    std::uint64_t taken() const { return m_taken; }
    // What the inputs turned away, and the late cycles of the JACK server meanwhile.
    std::uint64_t dropped() const { return m_feeds.dropped(); }
    // What came from inputs past the most sources a capture names, and was not kept.
    std::uint64_t unnamed() const { return m_feeds.unnamed(); }
    std::uint64_t xruns() const { return m_feeds.xruns(); }
    // Why the run could not write what it took; empty when it could (or its reader went).
    QString failure() const { return m_failure; }

signals:
    void finished();

private:
    static constexpr std::chrono::milliseconds PassBudget {100};

    void take(MessageDrain::Limits limits);
    // Stores what waits and writes it when the output streams; false when it could not.
    bool storeWaiting(MessageDrain::Limits limits);
    void noteFailure();
    void end();
    void applyFilter();
    QString firstInputName() const;
    void watchInputs();
    int stillWanted() const;
    bool hideSysEx() const;
    std::uint64_t keepSelected();
    CaptureStore &outputRows() { return m_settings.selection.any() ? m_kept : m_document.store(); }

    std::shared_ptr<PortSystem> m_ports;
    const Settings m_settings;
    CaptureOutput &m_output;
    CaptureDocument m_document; // what the inputs gave
    CaptureStore m_kept; // of that, what the selection keeps, when there is one
    InputFeeds m_feeds;
    std::unique_ptr<MIDIInput> m_first;
    std::unique_ptr<InputSet> m_inputs;
    QTimer m_endTimer;
    QTimer m_readerCheck;
    std::uint64_t m_taken = 0;
    QString m_failure;
    bool m_outOfMemory = false;
    bool m_ended = false;
};

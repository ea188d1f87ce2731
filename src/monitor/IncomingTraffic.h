#pragma once

#include "capture/CaptureStore.h"

#include <QString>
#include <chrono>
#include <functional>

class EventGrid;
class EventGridModel;
class MIDIInput;
class QLabel;

// Brings what the input component queued into the grid, and keeps the notice of messages
// the component had to turn away, so that nothing is ever dropped in silence.
class IncomingTraffic
{
public:
    // How long one pass may go on taking new arrivals before the window gets to paint and
    // handle the user.
    static constexpr std::chrono::milliseconds PassBudget {16};

    IncomingTraffic(MIDIInput &input, EventGrid &grid, EventGridModel &rows, QLabel &dropNotice,
        std::function<bool()> hideSysEx);

    // Appends the waiting messages as rows: at least `atLeast` of them, then as many as the
    // pass budget allows; the input is asked to come back for the rest. Returns how many
    // messages it took.
    int drain(int atLeast = 0);
    // Forgets the count of turned-away messages.
    void resetDropCount();
    // The input was started on the port of that name: what comes next is its traffic, on
    // its clock.
    void portStarted(const QString &portName);

private:
    void showDropCount();

    MIDIInput &m_input;
    EventGrid &m_grid;
    EventGridModel &m_rows;
    QLabel &m_dropNotice;
    std::function<bool()> m_hideSysEx;
    CaptureStore::Source m_source = 0;
};

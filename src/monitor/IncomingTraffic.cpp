#include "IncomingTraffic.h"

#include "EventGrid.h"
#include "MessageDrain.h"
#include "ports/MIDIInput.h"

#include <QLabel>

IncomingTraffic::IncomingTraffic(
    MIDIInput &input, EventGrid &grid, QLabel &dropNotice, std::function<bool()> hideSysEx)
    : m_input(input)
    , m_grid(grid)
    , m_dropNotice(dropNotice)
    , m_hideSysEx(std::move(hideSysEx))
{
    m_dropNotice.setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_dropNotice.hide();
}

void IncomingTraffic::drain(int atLeast)
{
    {
        EventGrid::Batch batch(m_grid);
        MessageDrain::drain(
            m_input, m_hideSysEx(), [this](const std::string &row) { m_grid.AddGridRow(row); },
            PassBudget, atLeast);
    }
    showDropCount();
}

void IncomingTraffic::resetDropCount()
{
    m_input.resetDroppedCount();
    showDropCount();
}

void IncomingTraffic::showDropCount()
{
    const std::uint64_t dropped = m_input.DroppedCount();
    m_dropNotice.setVisible(dropped > 0);
    if (dropped > 0)
        m_dropNotice.setText(QStringLiteral("%1 messages dropped").arg(dropped));
}

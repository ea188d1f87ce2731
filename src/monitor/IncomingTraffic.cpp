#include "IncomingTraffic.h"

#include "EventGrid.h"
#include "MessageDrain.h"
#include "ports/MIDIInput.h"

#include <QLabel>

IncomingTraffic::IncomingTraffic(MIDIInput &input, EventGrid &grid, EventGridModel &rows,
    QLabel &dropNotice, std::function<bool()> hideSysEx)
    : m_input(input)
    , m_grid(grid)
    , m_rows(rows)
    , m_dropNotice(dropNotice)
    , m_hideSysEx(std::move(hideSysEx))
{
    m_dropNotice.setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_dropNotice.hide();
}

int IncomingTraffic::drain(int atLeast)
{
    const int taken = MessageDrain::drain(m_input, m_hideSysEx(), m_rows, PassBudget, atLeast);
    m_grid.rowsAppended();
    showDropCount();
    return taken;
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
    if (dropped > 0) {
        m_dropNotice.setText(QStringLiteral("%1 messages dropped").arg(dropped));
        // The count can outgrow the place laid out for it: the notice shows its whole text.
        m_dropNotice.resize(
            std::max(m_dropNotice.width(), m_dropNotice.sizeHint().width()), m_dropNotice.height());
    }
}

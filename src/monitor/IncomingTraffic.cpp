#include "IncomingTraffic.h"

#include "EventGrid.h"
#include "EventGridModel.h"
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
    const int taken
        = MessageDrain::drain(m_input, m_source, m_hideSysEx(), m_rows, PassBudget, atLeast);
    m_grid.rowsAppended();
    showDropCount();
    return taken;
}

void IncomingTraffic::resetDropCount()
{
    m_input.resetDroppedCount();
    showDropCount();
}

void IncomingTraffic::portStarted(const QString &portName)
{
    CaptureStore &store = m_rows.store();
    m_source = store.sourceNamed(portName);
    store.startPort(m_source, store.stampOf(m_input.StartedAt()));
}

void IncomingTraffic::showDropCount()
{
    QStringList notices;
    if (const std::uint64_t dropped = m_input.DroppedCount())
        notices << QStringLiteral("%1 messages dropped").arg(dropped);
    if (const std::uint64_t xruns = m_input.XrunCount())
        notices << QStringLiteral("%1 JACK xruns: messages may be missing").arg(xruns);
    m_dropNotice.setVisible(!notices.isEmpty());
    if (!notices.isEmpty()) {
        m_dropNotice.setText(notices.join(QStringLiteral("; ")));
        // The count can outgrow the place laid out for it: the notice shows its whole text.
        m_dropNotice.resize(
            std::max(m_dropNotice.width(), m_dropNotice.sizeHint().width()), m_dropNotice.height());
    }
}

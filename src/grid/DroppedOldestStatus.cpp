#include "DroppedOldestStatus.h"

#include "capture/CaptureDocument.h"
#include "frame/NamedWidgets.h"
#include "frame/NumberText.h"

#include <QStatusBar>

DroppedOldestStatus::DroppedOldestStatus(
    QStatusBar &bar, const CaptureDocument &document, QObject *parent)
    : QObject(parent)
    , m_label(namedLabel("lblDroppedOldest", QString(), &bar))
{
    m_label->setToolTip(QStringLiteral("Rows let go of, oldest first, to keep the memory limit"));
    bar.addPermanentWidget(m_label);
    setCount(0);
    connect(&document, &CaptureDocument::oldestDropped, this,
        [this](std::size_t count) { setCount(m_count + count); });
    connect(&document, &CaptureDocument::cleared, this, [this] {
        m_countCleared = m_count;
        setCount(0);
    });
    connect(&document, &CaptureDocument::restored, this,
        [this] { setCount(m_count + std::exchange(m_countCleared, 0)); });
    connect(&document, &CaptureDocument::clearedRowsGone, this, [this] { m_countCleared = 0; });
    connect(&document, &CaptureDocument::replaced, this, [this] { setCount(0); });
}

void DroppedOldestStatus::setCount(std::uint64_t count)
{
    m_count = count;
    m_label->setVisible(count > 0);
    m_label->setText(QStringLiteral("dropped oldest: %1").arg(groupedNumber(qint64(count))));
}

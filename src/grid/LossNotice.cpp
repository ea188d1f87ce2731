#include "LossNotice.h"

#include <QLabel>
#include <QStringList>

LossNotice::LossNotice(QLabel &label, const IncomingTraffic &incoming)
    : QObject(&label)
    , m_label(label)
{
    m_label.setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_label.hide();
    connect(&incoming, &IncomingTraffic::lossesChanged, this, &LossNotice::show);
}

QString LossNotice::text(const IncomingTraffic::Losses &losses)
{
    QStringList notices;
    if (losses.dropped)
        notices << QStringLiteral("%1 messages dropped").arg(losses.dropped);
    if (losses.xruns)
        notices << QStringLiteral("%1 JACK xruns: messages may be missing").arg(losses.xruns);
    if (losses.outOfMemory)
        notices << QStringLiteral("Memory ran out: capturing stopped, the rows shown are kept");
    if (losses.unnamed)
        notices << QStringLiteral("%1 messages not kept: their inputs came after the %2 that "
                                  "one capture names")
                       .arg(losses.unnamed)
                       .arg(CaptureStore::MaxSources);
    return notices.join(QStringLiteral("; "));
}

void LossNotice::show(const IncomingTraffic::Losses &losses)
{
    const QString notice = text(losses);
    m_label.setVisible(!notice.isEmpty());
    if (notice.isEmpty())
        return;
    m_label.setText(notice);
    // The count can outgrow the place laid out for it: the notice shows its whole text.
    m_label.resize(std::max(m_label.width(), m_label.sizeHint().width()), m_label.height());
}

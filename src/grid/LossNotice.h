#pragma once

#include "capture/IncomingTraffic.h"

#include <QObject>
#include <QString>

class QLabel;

// The window's red notice of what did not reach the capture (lblDropped): shown while there
// is any, in words, hidden while there is none.
class LossNotice : public QObject
{
    Q_OBJECT

public:
    LossNotice(QLabel &label, const IncomingTraffic &incoming);

    static QString text(const IncomingTraffic::Losses &losses);

private:
    void show(const IncomingTraffic::Losses &losses);

    QLabel &m_label;
};

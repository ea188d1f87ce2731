#pragma once

#include <QObject>
#include <cstdint>

class CaptureDocument;
class QLabel;
class QStatusBar;

// The status bar's count of the oldest rows let go of to keep the memory limit, beside the
// counts of messages dropped and filtered, and reset with them by Clear All (its undo brings
// the count back with the rows) and by a capture shown from a file. Hidden while none went.
class DroppedOldestStatus : public QObject
{
    Q_OBJECT

public:
    DroppedOldestStatus(
        QStatusBar &bar, const CaptureDocument &document, QObject *parent = nullptr);

private:
    void setCount(std::uint64_t count);

    QLabel *m_label;
    std::uint64_t m_count = 0;
    std::uint64_t m_countCleared = 0; // of the rows a clear took, while they may come back
};

#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Ctrl+C (SIGINT) and SIGTERM as a signal of the event loop, so that a run ends by writing
// what it received rather than being cut off. A write to a pipe whose reader has gone fails
// with EPIPE instead of ending the process (SIGPIPE is ignored), for the same reason. One at
// a time: the handler writes to this object's pipe.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested();

private:
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// True when `fd` is a pipe or socket whose reader has gone: nothing written there is read.
bool readerGone(int fd);

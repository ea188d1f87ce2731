#pragma once

#include "capture/CaptureStore.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class MIDIOutput;

// Sends the messages of a SysEx file one by one, with a pause after each so that a device
// has time to take a dump in before the next one arrives. The pause runs on a timer: the
// window stays responsive and the run can be cancelled between any two messages.
class SysExFileSender : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultPause {50};

    // Called with each message sent, and with a send that failed.
    using AddRow = std::function<void(const SentMessage &message)>;

    SysExFileSender(MIDIOutput &output, AddRow addRow, QObject *parent = nullptr);

    void setPause(std::chrono::milliseconds pause) { m_pause = pause; }
    std::chrono::milliseconds pause() const { return m_pause; }

    // Starts a run of these messages, each F0 ... F7, ending any run still going. The first
    // goes out once control is back in the event loop.
    void send(std::vector<QByteArray> messages);
    // Stops the run; no further message goes out and no further signal comes.
    void cancel();
    bool isSending() const { return m_sending; }

signals:
    void progress(int sent, int total);
    void finished();
    // The port refused message `index` (counted from 0); the run stops there.
    void failed(int index, const QString &reason);

private:
    void sendNext();
    // Sends the next message and records its row; false when the port refused it, which
    // ends the run.
    bool sendCurrent();

    MIDIOutput &m_output;
    AddRow m_addRow;
    QTimer m_timer;
    std::chrono::milliseconds m_pause = DefaultPause;
    std::vector<QByteArray> m_messages;
    std::size_t m_next = 0;
    bool m_sending = false;
    std::uint64_t m_run = 0; // counts runs started and cancelled
};

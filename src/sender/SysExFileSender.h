#pragma once

#include "capture/CaptureStore.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class MIDIOutput;
class PortError;

// Sends the messages of a SysEx file one by one, with a pause after each so that a device
// has time to take a dump in before the next one arrives. The pause runs on a timer: the
// window stays responsive and the run can be cancelled between any two messages. A port
// with no room for a message now (a full send buffer) is given it again a moment later,
// for as long as it takes some message within RoomWait: a port that takes nothing for that
// long fails the run with its reason.
class SysExFileSender : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultPause {50};
    static constexpr std::chrono::milliseconds RoomRetry {1};
    static constexpr std::chrono::milliseconds RoomWait {2000};

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
    // Sends the next message and records its row; false when it did not go out: the run
    // ended, or waits to try it again.
    bool sendCurrent();
    // True when the message is tried again later rather than the run failing.
    bool waitsForRoom(const PortError &error);

    MIDIOutput &m_output;
    AddRow m_addRow;
    QTimer m_timer;
    std::chrono::milliseconds m_pause = DefaultPause;
    std::vector<QByteArray> m_messages;
    std::size_t m_next = 0;
    std::optional<std::chrono::steady_clock::time_point> m_noRoomSince;
    bool m_sending = false;
    std::uint64_t m_run = 0; // counts runs started and cancelled
};

#pragma once

#include "ToolOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

class MIDIOutput;
class PortSystem;
class SysExFileSender;

// Sends what `lumetra send` was given to one output: the messages once or at a rate, or a
// .syx file dump by dump; ends once everything went out, or at the first send that failed.
class SendRun : public QObject
{
    Q_OBJECT

public:
    SendRun(std::shared_ptr<PortSystem> ports, SendOptions options, QObject *parent = nullptr);
    ~SendRun() override;

    // Opens the output; the sending starts once control is back in the event loop. Throws
    // PortError.
    void start();
    // Ends the repeats (Ctrl+C): what was handed to the port still goes out.
    void stop();

    // The port's reason, or the file's, when the run failed; empty when it did not.
    QString failure() const { return m_failure; }
    // Messages that did not go out: the one the port refused and those the run then left
    // unsent (of its --count, or of its round or file), and those still waiting in the port
    // when the run gave up on them.
    std::uint64_t unsent() const { return m_unsent; }

signals:
    void finished();

private:
    // How long the port is given to put out what it was handed.
    static constexpr std::chrono::seconds LongestFlush {2};

    std::uint64_t planned() const;
    void sendRound();
    void sendFile();
    void fail(const QString &reason);
    // Ends once the port has nothing more waiting to go out, or gives up on what waits.
    void finishWhenSent();
    void checkFlushed();

    std::shared_ptr<PortSystem> m_ports;
    const SendOptions m_options;
    std::unique_ptr<MIDIOutput> m_output;
    std::unique_ptr<SysExFileSender> m_fileSender;
    QTimer m_repeat;
    QTimer m_flush;
    QElapsedTimer m_since; // the first round, then the flush
    std::uint64_t m_rounds = 0;
    std::uint64_t m_given = 0; // messages the port took
    std::uint64_t m_unsent = 0;
    QString m_failure;
    bool m_ending = false;
};

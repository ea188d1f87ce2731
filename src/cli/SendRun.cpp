#include "SendRun.h"

#include "files/SysExFileFormat.h"
#include "ports/DeviceSelection.h"
#include "ports/MIDIOutput.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"
#include "sender/SysExFileSender.h"

SendRun::SendRun(std::shared_ptr<PortSystem> ports, SendOptions options, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_options(std::move(options))
{
    connect(&m_repeat, &QTimer::timeout, this, &SendRun::sendRound);
    m_flush.setInterval(1);
    connect(&m_flush, &QTimer::timeout, this, &SendRun::checkFlushed);
}

SendRun::~SendRun() = default;

void SendRun::start()
{
    m_output = std::make_unique<MIDIOutput>(m_ports);
    const qsizetype index = m_ports->names(PortDirection::Output).indexOf(m_options.outputName);
    if (index < 0)
        throw PortError(
            QStringLiteral("There is no MIDI output named \"%1\".").arg(m_options.outputName));
    DeviceSelection::openOutputDevice(*m_output, std::int16_t(index));
    if (!m_options.sysExPath.isEmpty()) {
        QTimer::singleShot(0, this, &SendRun::sendFile);
        return;
    }
    m_since.start();
    QTimer::singleShot(0, this, &SendRun::sendRound);
    if (m_options.repeatEvery)
        m_repeat.start(*m_options.repeatEvery);
}

// The messages the run was asked for; without a count, those of the round under way.
std::uint64_t SendRun::planned() const
{
    const std::uint64_t round = m_options.messages.size();
    if (m_options.repeatEvery && m_options.repeatEnd.count)
        return *m_options.repeatEnd.count * round;
    return m_rounds * round + round;
}

void SendRun::sendRound()
{
    if (m_ending)
        return;
    try {
        for (const QByteArray &message : m_options.messages) {
            sendMessage(*m_output,
                std::span(reinterpret_cast<const std::uint8_t *>(message.constData()),
                    std::size_t(message.size())));
            ++m_given;
        }
    } catch (const PortError &error) {
        m_unsent += planned() - m_given;
        fail(error.description());
        return;
    }
    ++m_rounds;
    const RunEnd &end = m_options.repeatEnd;
    const bool counted = end.count && m_rounds >= *end.count;
    const bool timedOut = end.after && m_since.elapsed() >= end.after->count();
    if (!m_options.repeatEvery || counted || timedOut)
        stop();
}

void SendRun::sendFile()
{
    const SysExFileFormat::ReadResult file = SysExFileFormat::load(m_options.sysExPath);
    if (!file) {
        fail(file.reason);
        return;
    }
    m_fileSender = std::make_unique<SysExFileSender>(*m_output, [](const SentMessage &) {});
    m_fileSender->setPause(m_options.pause);
    const std::size_t dumps = file.messages.size();
    connect(m_fileSender.get(), &SysExFileSender::finished, this, &SendRun::stop);
    connect(m_fileSender.get(), &SysExFileSender::failed, this,
        [this, dumps](int index, const QString &reason) {
            m_unsent += dumps - std::size_t(index);
            fail(QStringLiteral("Dump %1 of \"%2\": %3")
                     .arg(index + 1)
                     .arg(m_options.sysExPath, reason));
        });
    m_fileSender->send(file.messages);
}

void SendRun::fail(const QString &reason)
{
    m_failure = reason;
    stop();
}

void SendRun::stop()
{
    if (m_ending)
        return;
    m_ending = true;
    m_repeat.stop();
    if (m_fileSender)
        m_fileSender->cancel();
    finishWhenSent();
}

void SendRun::finishWhenSent()
{
    if (!m_output) {
        emit finished();
        return;
    }
    m_since.start();
    m_flush.start();
}

void SendRun::checkFlushed()
{
    const std::uint64_t pending = m_output->pendingOutput();
    if (pending > 0 && m_since.elapsed() <= LongestFlush.count() * 1000)
        return;
    m_flush.stop();
    m_unsent += pending;
    if (pending > 0 && m_failure.isEmpty())
        m_failure = QStringLiteral("The output had not put out every message %1 seconds after "
                                   "the last one was given to it.")
                        .arg(LongestFlush.count());
    emit finished();
}

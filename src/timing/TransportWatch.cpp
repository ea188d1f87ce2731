#include "TransportWatch.h"

#include "midi/MidiMessage.h"
#include "midi/UmpFilterStatus.h"

namespace {

constexpr int PulsesPerSixteenth = ClockTempo::PulsesPerBeat / 4;

enum : std::uint8_t {
    QuarterFrame = 0xF1,
    SongPosition = 0xF2,
    Clock = 0xF8,
    Start = 0xFA,
    Continue = 0xFB,
    Stop = 0xFC,
};

// Whether a row may be a timing message, from its glance: received, of one to three bytes,
// with a status of F1 and up.
bool mayBeTiming(std::uint16_t glance)
{
    const auto size = std::uint8_t(glance >> 4 & 0xF);
    return (glance & 0xF) == std::uint8_t(Origin::Received) && size >= 1 && size <= 3
        && glance >> 8 >= QuarterFrame;
}

bool isReceivedUmp(std::uint16_t glance)
{
    return (glance & 0xF) == std::uint8_t(Origin::Received)
        && (glance >> 4 & 0xF) == CaptureStore::UmpMessage;
}

} // namespace

bool TransportWatch::catchUp(const CaptureStore &rows)
{
    bool changed = rows.size() < m_nextRow;
    if (changed)
        *this = TransportWatch();
    for (; m_nextRow < rows.size(); ++m_nextRow) {
        const std::uint16_t glance = rows.glance(m_nextRow);
        if (mayBeTiming(glance)) {
            take(rows.at(m_nextRow));
            changed = true;
        } else if (isReceivedUmp(glance)) {
            changed |= takeUmp(rows.at(m_nextRow));
        }
    }
    return changed;
}

// A System message of UMP carries the MIDI 1.0 one, as a clock of MIDI 2.0 gear sends it.
bool TransportWatch::takeUmp(CapturedMessage message)
{
    const Ump::Packet packet = message.umpPacket();
    const std::optional<std::uint8_t> status = Ump::messageStatusOf(packet);
    if (!status || *status < QuarterFrame)
        return false;
    const std::uint8_t bytes[] = {*status, packet.byteAt(2), packet.byteAt(3)};
    message.bytes = std::span(bytes, std::size_t(messageLength(*status)));
    take(message);
    return true;
}

void TransportWatch::take(const CapturedMessage &message)
{
    const std::span<const std::uint8_t> bytes = message.bytes;
    switch (bytes[0]) {
    case Clock:
        pulse(message);
        break;
    case Start:
        m_transport = Transport::Started;
        m_running = true;
        m_pulsesIntoSong = 0;
        break;
    case Continue:
        m_transport = Transport::Continued;
        m_running = true;
        break;
    case Stop:
        m_transport = Transport::Stopped;
        m_running = false;
        break;
    case SongPosition:
        if (bytes.size() == 3)
            m_pulsesIntoSong = std::uint64_t(bytes[1] | bytes[2] << 7) * PulsesPerSixteenth;
        break;
    case QuarterFrame:
        if (bytes.size() == 2) {
            m_timecode.quarterFrame(bytes[1]);
            m_lastQuarterFrameUs = message.stampUs;
        }
        break;
    default:
        break;
    }
}

void TransportWatch::pulse(const CapturedMessage &message)
{
    if (message.source != m_clockSource) {
        if (m_tempo.isRunning(message.stampUs))
            return;
        m_tempo.clear();
        m_clockSource = message.source;
    }
    m_tempo.pulse(message.stampUs);
    if (m_running && m_pulsesIntoSong)
        ++*m_pulsesIntoSong;
}

TransportWatch::Readout TransportWatch::readout(std::int64_t nowUs) const
{
    Readout shown;
    if (nowUs - m_lastQuarterFrameUs <= ClockTempo::StoppedAfterUs)
        shown.timecode = m_timecode.time();
    if (!m_tempo.isRunning(nowUs))
        return shown; // the transport means nothing without its clock
    shown.clock = m_tempo.reading();
    shown.transport = m_transport;
    if (m_pulsesIntoSong) {
        const std::uint64_t sixteenths = *m_pulsesIntoSong / PulsesPerSixteenth;
        shown.position = Position {std::uint32_t(sixteenths / 16 + 1), int(sixteenths / 4 % 4 + 1),
            int(sixteenths % 4 + 1)};
    }
    return shown;
}

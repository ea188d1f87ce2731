#include "monitor/MessageDrain.h"
#include "monitor/modFormat.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortError.h"
#include "ports/RtMidiBackend.h"
#include "settings/DeviceSelection.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <mutex>
#include <rtmidi/RtMidi.h>

namespace {

using Bytes = std::vector<unsigned char>;

// CI sets LUMETRA_REQUIRE_JACK, so that a server that failed to start fails the run.
#define REQUIRE_JACK_OR_SKIP()                                                                     \
    if (!RtMidiBackend::jackServerRuns()) {                                                        \
        if (qEnvironmentVariableIsSet("LUMETRA_REQUIRE_JACK"))                                     \
            FAIL() << "no JACK server could be reached";                                           \
        GTEST_SKIP() << "no JACK server runs";                                                     \
    }

int deviceIndexOf(MidiPort &port, const QString &name)
{
    return int(DeviceSelection::deviceNames(port).indexOf(name));
}

Bytes sysExOf(std::size_t size)
{
    Bytes bytes(size);
    bytes.front() = 0xF0;
    for (std::size_t i = 1; i + 1 < size; ++i)
        bytes[i] = (i * 7) % 0x80;
    bytes.back() = 0xF7;
    return bytes;
}

// Another JACK client, as independent of Lumetra's port components as a synth would be.
class Peer
{
public:
    Peer()
    {
        m_out.openVirtualPort("out");
        m_in.ignoreTypes(false, false, false);
        m_in.setCallback(&Peer::onMessage, this);
        m_in.openVirtualPort("in");
    }
    void send(const Bytes &bytes) { m_out.sendMessage(&bytes); }
    std::vector<Bytes> received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    static void onMessage(double, Bytes *message, void *self)
    {
        auto *peer = static_cast<Peer *>(self);
        std::lock_guard lock(peer->m_mutex);
        peer->m_received.push_back(*message);
    }

    RtMidiOut m_out {RtMidi::UNIX_JACK, "PeerSynth"};
    RtMidiIn m_in {RtMidi::UNIX_JACK, "PeerSampler"};
    std::mutex m_mutex;
    std::vector<Bytes> m_received;
};

// The grid rows the program makes of what waits, without their time stamps.
void drainRows(MIDIInput &input, std::vector<std::string> &rows)
{
    MessageDrain::drain(
        input, false, [&](const std::string &row) { rows.push_back(row.substr(row.find('\t'))); },
        std::chrono::hours(1));
}

std::string rowOf(const Bytes &message)
{
    const std::string row = message.front() == 0xF0
        ? modFormat::FormatSysExRow(QByteArrayView(message.data(), qsizetype(message.size())), 0)
        : modFormat::FormatMessageRow(message[0], message[1], message[2], 0);
    return row.substr(row.find('\t'));
}

} // namespace

TEST(Jack, ReceivesWhatAnotherClientSends)
{
    REQUIRE_JACK_OR_SKIP();
    Peer peer;
    MIDIInput input(PortSystem::createDefault());
    const int device = deviceIndexOf(input, "JACK: PeerSynth:out");
    ASSERT_GE(device, 0) << DeviceSelection::deviceNames(input).join(", ").toStdString();
    DeviceSelection::openInputDevice(input, std::int16_t(device));

    const Bytes sysEx = sysExOf(4096);
    peer.send({0x90, 0x3C, 0x40});
    peer.send({0xB3, 0x07, 0x64});
    peer.send(sysEx);

    QSignalSpy waiting(&input, &MIDIInput::MessagesWaiting);
    ASSERT_TRUE(waiting.wait(5000)) << "MessagesWaiting, on the UI thread";
    std::vector<std::string> rows;
    QTRY_VERIFY_WITH_TIMEOUT((drainRows(input, rows), rows.size() >= 3), 5000);
    EXPECT_EQ(rows,
        (std::vector<std::string> {
            rowOf({0x90, 0x3C, 0x40}), rowOf({0xB3, 0x07, 0x64}), rowOf(sysEx)}));
}

TEST(Jack, SendsToAnotherClientAndRefusesWhatCannotPass)
{
    REQUIRE_JACK_OR_SKIP();
    Peer peer;
    MIDIOutput output(PortSystem::createDefault());
    const int device = deviceIndexOf(output, "JACK: PeerSampler:in");
    ASSERT_GE(device, 0);
    DeviceSelection::openOutputDevice(output, std::int16_t(device));

    const Bytes sysEx = sysExOf(4096);
    sendMessage(output, {0x90, 0x3C, 0x40});
    sendMessage(output, sysEx);

    QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 2u, 5000);
    EXPECT_EQ(peer.received()[0], (Bytes {0x90, 0x3C, 0x40}));
    EXPECT_EQ(peer.received()[1], sysEx);

    // The largest message the JACK output takes still arrives whole; one byte more is
    // refused rather than lost on the way.
    const Bytes largest = sysExOf(16 * 1024 - 5);
    sendMessage(output, largest);
    QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 3u, 5000);
    EXPECT_EQ(peer.received()[2], largest);

    const Bytes tooLarge = sysExOf(largest.size() + 1);
    EXPECT_THROW(sendMessage(output, tooLarge), PortError);
}

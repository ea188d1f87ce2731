#include "ports/LoopbackBackend.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"
#include "settings/DeviceSelection.h"
#include "support/SendMessage.h"

#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// The real components on the loopback device, opened the way the program opens them.
struct Loopback
{
    std::shared_ptr<PortSystem> ports = std::make_shared<PortSystem>([] {
        std::vector<std::unique_ptr<PortBackend>> backends;
        backends.push_back(std::make_unique<LoopbackBackend>());
        return backends;
    }());
    MIDIInput input {ports};
    MIDIOutput output {ports};

    Loopback()
    {
        DeviceSelection::openOutputDevice(output, 0);
        DeviceSelection::openInputDevice(input, 0);
    }

    void send(std::int16_t status, std::initializer_list<std::int16_t> data = {})
    {
        sendMessage(output, status, data);
    }
    void sendSysEx(const QByteArray &bytes) { ::sendSysEx(output, bytes); }
    QByteArray takeCurrent()
    {
        QByteArray taken = input.MessageSysEx();
        if (taken.isEmpty()) {
            taken += char(input.MessageStatus());
            taken += char(input.MessageData1());
            taken += char(input.MessageData2());
        }
        input.setCommand(CommandDropCurrent);
        return taken;
    }
};

QByteArray sysExOf(qsizetype size)
{
    QByteArray bytes(size, '\0');
    bytes[0] = char(0xF0);
    for (qsizetype i = 1; i < size - 1; ++i)
        bytes[i] = char(i % 0x80);
    bytes[size - 1] = char(0xF7);
    return bytes;
}

} // namespace

TEST(LoopbackRoundTrip, MessagesArriveInOrderByteForByteOnTheUiThread)
{
    Loopback loop;
    QSignalSpy waiting(&loop.input, &MIDIInput::MessagesWaiting);
    Qt::HANDLE signalThread = nullptr;
    QObject::connect(&loop.input, &MIDIInput::MessagesWaiting,
        [&] { signalThread = QThread::currentThreadId(); });

    const QByteArray bigSysEx = sysExOf(64 * 1024);
    loop.send(0x90, {0x3C, 0x40});
    loop.send(0xC5, {0x07});
    loop.sendSysEx(bigSysEx);

    ASSERT_TRUE(waiting.wait(2000));
    EXPECT_EQ(waiting.count(), 1) << "one notification for the burst";
    EXPECT_EQ(signalThread, QThread::currentThreadId());
    ASSERT_EQ(loop.input.MessageCount(), 3);
    EXPECT_EQ(loop.takeCurrent(), QByteArray("\x90\x3C\x40", 3));
    EXPECT_EQ(loop.input.MessageStatus(), 0xC5);
    EXPECT_EQ(loop.takeCurrent(), QByteArray("\xC5\x07\x00", 3)); // data 2 reads 0
    EXPECT_EQ(loop.input.MessageStatus(), 0xF0);
    EXPECT_EQ(loop.takeCurrent(), bigSysEx);
    EXPECT_EQ(loop.input.MessageCount(), 0);
}

TEST(LoopbackRoundTrip, TimestampCountsMillisecondsFromStart)
{
    Loopback loop;
    QThread::msleep(30); // the clock must move; nothing else can show the unit
    loop.send(0xFE);
    EXPECT_GE(loop.input.MessageTimestamp(), 30);
    EXPECT_LT(loop.input.MessageTimestamp(), 5000);
}

TEST(LoopbackRoundTrip, ClosedPortsRefuseWithAReadableReason)
{
    Loopback loop;
    loop.output.setCommand(CommandClose);
    loop.input.setCommand(CommandClose);
    EXPECT_EQ(loop.output.PortState(), 0);
    EXPECT_EQ(loop.input.PortState(), 0);
    try {
        loop.send(0x90, {1, 2});
        FAIL() << "sending on a closed port must fail";
    } catch (const PortError &error) {
        EXPECT_EQ(error.description(), "The MIDI output port is not open.");
    }
    EXPECT_THROW(loop.input.setCommand(CommandStart), PortError);
    EXPECT_THROW(loop.input.setCommand(3), PortError);
    loop.input.setDeviceIndex(5);
    EXPECT_THROW(loop.input.setCommand(CommandOpen), PortError);
}

TEST(LoopbackRoundTrip, OutputSendsTheStatusAndTheDataBytesWrittenSinceIt)
{
    Loopback loop;
    loop.send(0x90, {0x3C, 0x40});
    EXPECT_EQ(loop.output.messageBytes(), QByteArray("\x90\x3C\x40", 3));
    loop.send(0xC0, {0x05});
    EXPECT_EQ(loop.output.messageBytes(), QByteArray("\xC0\x05", 2));
    loop.send(0xF8);
    EXPECT_EQ(loop.output.messageBytes(), QByteArray("\xF8", 1));
    loop.send(0x90, {0x3C});
    EXPECT_EQ(loop.output.messageBytes(), QByteArray("\x90\x3C", 2))
        << "nothing left over from an earlier message";
    ASSERT_EQ(loop.input.MessageCount(), 4);
}

#include "ports/LoopbackBackend.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"
#include "settings/DeviceSelection.h"

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

    void send(std::int16_t status, std::int16_t data1 = 0, std::int16_t data2 = 0)
    {
        output.setMessageStatus(status);
        output.setMessageData1(data1);
        output.setMessageData2(data2);
        output.setCommand(CommandSend);
    }
    void sendSysEx(const QByteArray &bytes)
    {
        output.setMessageStatus(0xF0);
        output.setMessageSysEx(bytes);
        output.setCommand(CommandSend);
    }
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
    loop.send(0x90, 0x3C, 0x40);
    loop.send(0xC5, 0x07);
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

TEST(LoopbackRoundTrip, StatusFilterWithholdsBeforeQueueing)
{
    Loopback loop;
    loop.input.setStatusFilter(0x90, true);
    loop.input.setStatusFilter(0xF0, true);
    loop.send(0x90, 1, 2);
    loop.sendSysEx(sysExOf(10));
    loop.send(0x91, 1, 2);
    EXPECT_EQ(loop.input.MessageCount(), 1);
    EXPECT_EQ(loop.input.MessageStatus(), 0x91);
    EXPECT_TRUE(loop.input.StatusFilter(0xF0));
    EXPECT_FALSE(loop.input.StatusFilter(0x91));
}

TEST(LoopbackRoundTrip, DisabledEventsKeepQueueingAndNotifyWhenEnabledAgain)
{
    Loopback loop;
    QSignalSpy waiting(&loop.input, &MIDIInput::MessagesWaiting);
    loop.input.setEventsEnabled(false);
    loop.send(0xF8);
    QCoreApplication::processEvents();
    EXPECT_EQ(waiting.count(), 0);
    EXPECT_EQ(loop.input.MessageCount(), 1);
    loop.input.setEventsEnabled(true);
    EXPECT_TRUE(waiting.wait(2000));
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
        loop.send(0x90, 1, 2);
        FAIL() << "sending on a closed port must fail";
    } catch (const PortError &error) {
        EXPECT_EQ(error.description(), "The MIDI output port is not open.");
    }
    EXPECT_THROW(loop.input.setCommand(CommandStart), PortError);
    EXPECT_THROW(loop.input.setCommand(3), PortError);
    loop.input.setDeviceIndex(5);
    EXPECT_THROW(loop.input.setCommand(CommandOpen), PortError);
}

TEST(LoopbackRoundTrip, OutputSendsAsManyDataBytesAsTheStatusHas)
{
    Loopback loop;
    const std::pair<std::int16_t, QByteArray> cases[] = {
        {0x80, QByteArray("\x80\x01\x02", 3)},
        {0xC0, QByteArray("\xC0\x01", 2)},
        {0xD0, QByteArray("\xD0\x01", 2)},
        {0xF1, QByteArray("\xF1\x01", 2)},
        {0xF2, QByteArray("\xF2\x01\x02", 3)},
        {0xF6, QByteArray("\xF6", 1)},
        {0xFF, QByteArray("\xFF", 1)},
    };
    for (const auto &[status, bytes] : cases) {
        loop.output.setMessageStatus(status);
        loop.output.setMessageData1(1);
        loop.output.setMessageData2(2);
        EXPECT_EQ(loop.output.messageBytes(), bytes) << status;
    }
}

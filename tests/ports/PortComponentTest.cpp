#include "ports/DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortError.h"
#include "support/LoopbackPorts.h"
#include "support/ScriptedBackend.h"

#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

// Stamps count milliseconds from the start; a SysEx carries the time of its first piece, and
// a message short of data is held for its rest only until the input's timer lets it go.
TEST(PortComponents, HeldPiecesKeepTheirFirstStampAndAreNeverHeldForever)
{
    ScriptedBackend *device = nullptr;
    MIDIInput input(ScriptedBackend::system(device, {"In"}));
    DeviceSelection::openInputDevice(input, 0);

    const std::uint8_t first[] = {0xF0, 0x01}, last[] = {0x02, 0xF7}, clock[] = {0xF8};
    device->deliver(first);
    QThread::msleep(40);
    device->deliver(last);
    device->deliver(clock);
    ASSERT_EQ(input.MessageCount(), 2);
    const std::int32_t sysExStamp = input.MessageTimestamp();
    EXPECT_LT(sysExStamp, 5000) << "counted from the start";
    input.setCommand(CommandDropCurrent);
    EXPECT_GE(input.MessageTimestamp() - sysExStamp, 40) << "in milliseconds, from its first piece";
    input.setCommand(CommandDropCurrent);

    const std::uint8_t start[] = {0x90, 0x3C};
    device->deliver(start); // and no more
    EXPECT_EQ(input.MessageCount(), 0) << "held for the rest";
    EXPECT_TRUE(QTest::qWaitFor([&] { return input.MessageCount() == 1; }, 5000));
    EXPECT_EQ(input.currentMessage()->size, 2) << "as received";
}

// Sending on a closed output is the send panel's and the file sender's test.
TEST(PortComponents, AClosedInputRefusesToStart)
{
    LoopbackPorts loop;
    loop.input.setCommand(CommandClose);
    EXPECT_EQ(loop.input.PortState(), 0);
    EXPECT_THROW(loop.input.setCommand(CommandStart), PortError);
    EXPECT_THROW(loop.input.setCommand(3), PortError);
    loop.input.setDeviceIndex(5);
    EXPECT_THROW(loop.input.setCommand(CommandOpen), PortError);
}

TEST(PortComponents, OutputSendsTheStatusAndTheDataBytesWrittenSinceIt)
{
    LoopbackPorts loop;
    using Bytes = std::vector<std::uint8_t>;
    const std::pair<Bytes, Bytes> cases[] = {
        {{0x90, 0x3C, 0x40}, {0x90, 0x3C, 0x40}},
        {{0x90, 0x3C}, {0x90, 0x3C}}, // nothing left over from an earlier message
        {{0x90, 1, 2, 3}, {0x90, 1, 2}}, // a third data byte is not sent
        {{0xF0, 0x7E, 0xF7}, {0xF0, 0x7E, 0xF7}},
    };
    for (const auto &[message, wire] : cases) {
        sendMessage(loop.output, message);
        const std::span<const std::uint8_t> sent = loop.output.messageBytes();
        EXPECT_EQ(Bytes(sent.begin(), sent.end()), wire);
    }
}

#include "sender/SysExFileSender.h"

#include "ports/PortCommand.h"
#include "support/LoopbackPorts.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

struct FileSender : testing::Test
{
    LoopbackPorts loop;
    std::vector<std::string> rows;
    SysExFileSender sender {loop.output, [this](std::string_view row) { rows.emplace_back(row); }};
    QSignalSpy progress {&sender, &SysExFileSender::progress};
    QSignalSpy finished {&sender, &SysExFileSender::finished};
    QSignalSpy failed {&sender, &SysExFileSender::failed};
};

const QByteArray Dumps[] = {"\xF0\x41\x10\xF7", "\xF0\x7E\x7F\x09\x01\xF7", "\xF0\xF7"};

} // namespace

TEST_F(FileSender, SendsTheDumpsInOrderWithThePauseBetween)
{
    constexpr int Pause = 40;
    sender.setPause(std::chrono::milliseconds(Pause));
    sender.send({Dumps[0], Dumps[1], Dumps[2]});
    ASSERT_TRUE(finished.wait(5000));

    std::int32_t previousStamp = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(loop.input.MessageSysEx(), Dumps[i]);
        const std::int32_t stamp = loop.input.MessageTimestamp();
        if (i > 0) {
            EXPECT_GE(stamp - previousStamp, Pause) << i;
            EXPECT_LE(stamp - previousStamp, Pause + 15) << i;
        }
        previousStamp = stamp;
        loop.input.setCommand(CommandDropCurrent);
        EXPECT_EQ(progress.at(i), (QList<QVariant> {i + 1, 3}));
    }
    EXPECT_EQ(rows.front(), "Sent\tf0\t\t\t\t\tf0 41 10 f7 ");
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_FALSE(sender.isSending());
}

TEST_F(FileSender, APortFailureStopsTheRunAndIsRecorded)
{
    sender.send({Dumps[0], Dumps[1], Dumps[2]});
    ASSERT_TRUE(progress.wait(5000));
    loop.output.setCommand(CommandClose);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0), (QList<QVariant> {1, "The MIDI output port is not open."}));
    EXPECT_EQ(rows.back(), "Send Err\t\t\t\t\t\t");
    EXPECT_FALSE(sender.isSending());
    EXPECT_EQ(finished.count(), 0);
}

#include "sender/SysExFileSender.h"

#include "ports/PortCommand.h"
#include "support/LoopbackPorts.h"
#include "support/ScriptedBackend.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

// The window's tests send whole files; a port that fails half-way is this one's.
TEST(FileSender, APortFailureStopsTheRunAndIsRecorded)
{
    LoopbackPorts loop;
    std::vector<SentMessage> rows;
    SysExFileSender sender(loop.output, [&](const SentMessage &row) { rows.push_back(row); });
    QSignalSpy progress(&sender, &SysExFileSender::progress);
    QSignalSpy finished(&sender, &SysExFileSender::finished);
    QSignalSpy failed(&sender, &SysExFileSender::failed);
    sender.send({"\xF0\x41\x10\xF7", "\xF0\x7E\x7F\x09\x01\xF7", "\xF0\xF7"});
    ASSERT_TRUE(progress.wait(5000));
    EXPECT_EQ(rows.front().origin, Origin::Sent);
    EXPECT_EQ(rows.front().bytes, QByteArray("\xF0\x41\x10\xF7"));
    loop.output.setCommand(CommandClose);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0), (QList<QVariant> {1, "The MIDI output port is not open."}));
    EXPECT_EQ(rows.back().origin, Origin::SendFailed);
    EXPECT_EQ(rows.back().bytes, QByteArray("\xF0\x7E\x7F\x09\x01\xF7")) << "what failed";
    EXPECT_FALSE(sender.isSending());
    EXPECT_EQ(finished.count(), 0);
}

TEST(FileSender, WaitsForRoomInTheOutputButNotForever)
{
    ScriptedBackend *device = nullptr;
    MIDIOutput output(ScriptedBackend::system(device, {}, {"Out"}));
    DeviceSelection::openOutputDevice(output, 0);
    std::vector<SentMessage> rows;
    SysExFileSender sender(output, [&](const SentMessage &row) { rows.push_back(row); });
    sender.setPause(std::chrono::milliseconds(0));
    QSignalSpy finished(&sender, &SysExFileSender::finished);
    QSignalSpy failed(&sender, &SysExFileSender::failed);
    const std::vector<QByteArray> dumps = {"\xF0\x01\xF7", "\xF0\x02\xF7"};
    device->sendsWithoutRoom = 20;
    sender.send(dumps);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(device->sent, dumps);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(rows.size(), 2u) << "a row for each dump sent, none for a wait";

    device->sendsWithoutRoom = std::numeric_limits<int>::max();
    sender.send(dumps);
    ASSERT_TRUE(failed.wait(2 * SysExFileSender::RoomWait.count()));
    EXPECT_EQ(failed.at(0), (QList<QVariant> {0, "no room"}));
    EXPECT_EQ(rows.back().origin, Origin::SendFailed);
}

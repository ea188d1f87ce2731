#include "sender/SysExFileSender.h"

#include "ports/PortCommand.h"
#include "support/LoopbackPorts.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

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
    EXPECT_FALSE(sender.isSending());
    EXPECT_EQ(finished.count(), 0);
}

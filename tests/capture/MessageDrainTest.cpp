#include "capture/MessageDrain.h"

#include "capture/InputFeeds.h"
#include "support/LoopbackPorts.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

TEST(MessageDrain, APassOutOfTimeAsksForAnotherAndLosesNothing)
{
    constexpr int Count = 1000;
    LoopbackPorts loop;
    MIDIInput &input = loop.input;
    QSignalSpy waiting(&input, &MIDIInput::MessagesWaiting);
    for (int i = 0; i < Count; ++i)
        sendMessage(loop.output, {0x90, std::uint8_t(i % 0x80), std::uint8_t(i / 0x80)});
    QCoreApplication::processEvents();
    ASSERT_EQ(waiting.count(), 1);

    CaptureStore rows;
    MessageDrain::drain(input, 0, false, rows, {std::chrono::seconds(0)});
    ASSERT_LT(rows.size(), std::size_t(Count));
    // Told a little later: notices of a stream are spaced out.
    EXPECT_TRUE(waiting.wait(10'000)) << "another pass was asked for";
    EXPECT_EQ(waiting.count(), 2);
    while (input.MessageCount() > 0)
        MessageDrain::drain(input, 0, false, rows, {std::chrono::seconds(0)});
    ASSERT_EQ(rows.size(), std::size_t(Count));
    for (int i = 0; i < Count; ++i) {
        const CapturedMessage message = rows.at(std::size_t(i));
        ASSERT_EQ(message.bytes[1] + message.bytes[2] * 0x80, i) << "in order";
    }
}

// An input that comes after the most sources a capture names is no row under another's name,
// and a store out of memory takes no more: the traffic is let go and counted.
TEST(MessageDrain, WhatTheStoreCannotKeepIsCountedNeverMisnamed)
{
    const struct
    {
        const char *why;
        std::function<void(CaptureStore &)> prepare;
        std::uint64_t unnamed; // what the notice of sources past the limit counts
    } cases[] = {
        {"past the source limit",
            [](CaptureStore &rows) {
                for (std::size_t i = 0; i < CaptureStore::MaxSources; ++i)
                    rows.sourceNamed(QStringLiteral("earlier %1").arg(i));
            },
            3},
        {"out of memory", [](CaptureStore &rows) { rows.setMemoryLimit(0); }, 0},
    };
    for (const auto &c : cases) {
        LoopbackPorts loop;
        CaptureStore rows;
        c.prepare(rows);
        InputFeeds feeds(rows);
        feeds.portStarted(loop.input, QStringLiteral("late"));
        for (int i = 0; i < 3; ++i)
            sendMessage(loop.output, {0x90, 0x3C, 0x7F});
        QCoreApplication::processEvents();
        feeds.drain(false, {std::chrono::hours(1), 3});
        EXPECT_EQ(rows.size(), 0u) << c.why;
        EXPECT_EQ(rows.outOfMemory(), c.unnamed == 0) << c.why;
        EXPECT_EQ(feeds.unnamed(), c.unnamed) << c.why;
        ASSERT_EQ(feeds.sourceCounts().size(), 1u) << c.why;
        EXPECT_EQ(feeds.sourceCounts()[0].dropped, 3u) << c.why;
        EXPECT_EQ(loop.input.MessageCount(), 0) << c.why;
    }
}

#include "ports/MessageQueue.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

MidiMessage note(std::uint8_t key)
{
    MidiMessage message;
    message.status = 0x90;
    message.data1 = key;
    return message;
}

} // namespace

TEST(MessageQueue, CountsWhatEitherBoundTurnsAway)
{
    MessageQueue byCount({2});
    EXPECT_TRUE(byCount.push(note(1)));
    EXPECT_TRUE(byCount.push(note(2)));
    EXPECT_FALSE(byCount.push(note(3)));
    EXPECT_EQ(byCount.size(), 2u);
    EXPECT_EQ(byCount.droppedCount(), 1u);
    byCount.popFront();
    EXPECT_TRUE(byCount.push(note(4))) << "room again once the UI drained one";

    MidiMessage dump;
    dump.status = 0xF0;
    dump.sysEx = QByteArray(1000, '\x01');
    MessageQueue byBytes({100, 2500});
    EXPECT_TRUE(byBytes.push(dump));
    EXPECT_TRUE(byBytes.push(dump));
    EXPECT_FALSE(byBytes.push(dump)) << "the bytes are spent, not the count";
    EXPECT_TRUE(byBytes.push(note(1))) << "a small message still fits";
    byBytes.popFront();
    EXPECT_TRUE(byBytes.push(dump)) << "a dump drained gives its bytes back";
    EXPECT_EQ(byBytes.droppedCount(), 1u);
    byBytes.resetDroppedCount();
    EXPECT_EQ(byBytes.droppedCount(), 0u);
}

// The consumer drains while the producer refills: order holds across every refill.
TEST(MessageQueue, LosesNothingBetweenThreads)
{
    constexpr int Count = 100'000;
    MessageQueue queue;
    std::thread producer([&] {
        for (int i = 0; i < Count; ++i)
            queue.push(note(std::uint8_t(i & 0x7F)));
    });
    int received = 0;
    while (received < Count) {
        if (const MidiMessage *message = queue.front()) {
            ASSERT_EQ(message->data1, received & 0x7F);
            queue.popFront();
            ++received;
        }
    }
    producer.join();
    EXPECT_EQ(queue.droppedCount(), 0u);
    EXPECT_EQ(queue.front(), nullptr);
    queue.popFront(); // dropping from an empty queue does nothing
    EXPECT_EQ(queue.size(), 0u);
}

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

TEST(MessageQueue, KeepsOrderAcrossRefills)
{
    MessageQueue queue;
    queue.push(note(1));
    queue.push(note(2));
    ASSERT_EQ(queue.front()->data1, 1); // takes the backlog so far
    queue.push(note(3)); // arrives while draining
    queue.popFront();
    EXPECT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.front()->data1, 2);
    queue.popFront();
    EXPECT_EQ(queue.front()->data1, 3);
    queue.popFront();
    EXPECT_EQ(queue.front(), nullptr);
    EXPECT_EQ(queue.size(), 0u);
    queue.popFront(); // dropping from an empty queue does nothing
    EXPECT_EQ(queue.size(), 0u);
}

TEST(MessageQueue, CountsWhatTheBoundTurnsAway)
{
    MessageQueue queue(2);
    EXPECT_TRUE(queue.push(note(1)));
    EXPECT_TRUE(queue.push(note(2)));
    EXPECT_FALSE(queue.push(note(3)));
    EXPECT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue.droppedCount(), 1u);
    queue.popFront();
    EXPECT_TRUE(queue.push(note(4))); // room again once the UI drained one
    queue.resetDroppedCount();
    EXPECT_EQ(queue.droppedCount(), 0u);
}

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
}

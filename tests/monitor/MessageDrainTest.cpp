#include "monitor/MessageDrain.h"

#include "monitor/EventGridModel.h"
#include "support/LoopbackPorts.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(MessageDrain, APassOutOfTimeAsksForAnotherAndLosesNothing)
{
    constexpr int Count = 1000;
    LoopbackPorts loop;
    MIDIInput &input = loop.input;
    MIDIOutput &output = loop.output;
    QSignalSpy waiting(&input, &MIDIInput::MessagesWaiting);
    for (int i = 0; i < Count; ++i)
        sendMessage(output, {0x90, std::uint8_t(i % 0x80), std::uint8_t(i / 0x80)});
    QCoreApplication::processEvents();
    ASSERT_EQ(waiting.count(), 1);

    EventGridModel model;
    const CaptureStore &rows = model.store();
    MessageDrain::drain(input, 0, false, model.store(), {std::chrono::seconds(0)});
    ASSERT_LT(rows.size(), std::size_t(Count));
    QCoreApplication::processEvents();
    EXPECT_EQ(waiting.count(), 2) << "another pass was asked for";
    while (input.MessageCount() > 0)
        MessageDrain::drain(input, 0, false, model.store(), {std::chrono::seconds(0)});
    ASSERT_EQ(rows.size(), std::size_t(Count));
    for (int i = 0; i < Count; ++i) {
        const CapturedMessage message = rows.at(std::size_t(i));
        ASSERT_EQ(message.bytes[1] + message.bytes[2] * 0x80, i) << "in order";
    }
}

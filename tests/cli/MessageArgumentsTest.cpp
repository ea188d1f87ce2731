#include "cli/MessageArguments.h"

#include "sender/modSendMessage.h"

#include <gtest/gtest.h>

using Messages = std::vector<QByteArray>;

TEST(MessageArguments, PutsBytesTogetherIntoWholeMessagesAnArgumentEach)
{
    const struct
    {
        QStringList arguments;
        bool several;
        Messages messages;
    } cases[] = {
        {{"90 3C 7F"}, false, {"\x90\x3C\x7F"}}, // quoted
        {{"90", "3C", "7F"}, false, {"\x90\x3C\x7F"}}, // unquoted: one message, not three
        {{"90 3C", "7F", "c0 05"}, false, {"\x90\x3C\x7F", "\xC0\x05"}},
        {{"F0 7E", "7F F7", "F8"}, false, {"\xF0\x7E\x7F\xF7", "\xF8"}},
        {{"90 3C 7F 80 3C 00"}, true, {"\x90\x3C\x7F", QByteArray("\x80\x3C\x00", 3)}},
        {{"90 3C 7F 3E 7F"}, true, {"\x90\x3C\x7F", "\x90\x3E\x7F"}}, // running status
    };
    for (const auto &c : cases) {
        const MessageArguments::Read read = MessageArguments::read(c.arguments, c.several);
        EXPECT_EQ(read.refusal, QString()) << c.arguments.join('|').toStdString();
        EXPECT_EQ(read.messages, c.messages) << c.arguments.join('|').toStdString();
        EXPECT_TRUE(read.notices.isEmpty());
    }
}

TEST(MessageArguments, RefusesAnArgumentOfSeveralMessagesAndAnyMessageNotWhole)
{
    const struct
    {
        QStringList arguments;
        const char *reason; // what the refusal says, in part
    } cases[] = {
        {{"90 3C 7F 80 3C 00"}, "'90 3C 7F 80 3C 00' holds more than one message: 80 3C 00"},
        {{"90 3C 7F 00"}, "holds more than one message: 00 is another"}, // the box drops it
        {{"90", "3C 7F 80 3C 00 90 3C 7F"}, "holds more than one message: 90 3C 7F is another"},
        {{"90 3C"}, "90 3C is short of data bytes: a message of status 90 has 3 bytes"},
        {{"90 3C", "80 3C 00"}, "90 3C is short of data bytes"},
        {{"3C"}, "3C is a data byte with no status byte before it"},
        {{"3C 7F"}, "holds more than one message: 7F is another"},
        {{"F7"}, "F7 ends a SysEx, and none was begun"},
        {{"90 3G"}, "'90 3G': Expected two hex digits at position 4"},
        {{"90 3C 7F", ""}, "'': The message is empty"},
    };
    for (const auto &c : cases) {
        const MessageArguments::Read read = MessageArguments::read(c.arguments, false);
        EXPECT_TRUE(read.refusal.contains(c.reason))
            << c.arguments.join('|').toStdString() << ": " << read.refusal.toStdString();
    }
}

TEST(MessageArguments, EndsASysExWithoutItsF7AndSaysSo)
{
    const MessageArguments::Read read
        = MessageArguments::read({"F0 7E 7F 06 01", "F0 01", "90 3C 7F"}, false);
    EXPECT_EQ(read.refusal, QString());
    EXPECT_EQ(
        read.messages, (Messages {"\xF0\x7E\x7F\x06\x01\xF7", "\xF0\x01\xF7", "\x90\x3C\x7F"}))
        << "a status ends the SysEx before it";
    EXPECT_EQ(read.notices,
        (QStringList {modSendMessage::AppendingEoxText + ": F0 7E 7F 06 01 F7",
            modSendMessage::AppendingEoxText + ": F0 01 F7"}));
}

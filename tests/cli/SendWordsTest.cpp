#include "cli/SendWords.h"

#include "cli/MessageArguments.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using Messages = std::vector<QByteArray>;

TEST(SendWords, EachWordGoesOutAsTheBytesItNames)
{
    const struct
    {
        QStringList arguments;
        Messages messages;
    } cases[] = {
        {{"on", "60", "100"}, {bytes({0x90, 60, 100})}}, // channel 1 before any ch
        {{"off", "60", "0"}, {bytes({0x80, 60, 0})}},
        {{"pp", "60", "10"}, {bytes({0xA0, 60, 10})}},
        {{"cc", "7", "100"}, {bytes({0xB0, 7, 100})}},
        {{"pc", "5"}, {bytes({0xC0, 5})}},
        {{"cp", "64"}, {bytes({0xD0, 64})}},
        {{"pb", "8192"}, {bytes({0xE0, 0x00, 0x40})}}, // the centre: LSB first
        {{"pb", "16383"}, {bytes({0xE0, 0x7F, 0x7F})}},
        {{"pb", "1"}, {bytes({0xE0, 0x01, 0x00})}},
        {{"ch", "16", "on", "60", "100"}, {bytes({0x9F, 60, 100})}},
        {{"ch", "2", "on", "60", "1", "ch", "3", "pc", "0"},
            {bytes({0x91, 60, 1}), bytes({0xC2, 0})}},
        {{"syx", "0x7E", "127", "6", "1"}, {bytes({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7})}},
        {{"raw", "0x90", "3CH", "127"}, {bytes({0x90, 0x3C, 0x7F})}},
        {{"raw", "144", "60", "1", "128", "60", "0"}, {bytes({0x90, 60, 1}), bytes({0x80, 60, 0})}},
        {{"clock", "start", "stop"}, {bytes({0xF8}), bytes({0xFA}), bytes({0xFC})}},
        {{"cc", "7", "0", "syx", "1", "clock"}, // a word ends the bytes of syx before it
            {bytes({0xB0, 7, 0}), bytes({0xF0, 1, 0xF7}), bytes({0xF8})}},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(SendWords::areWords(c.arguments));
        const SendWords::Read words = SendWords::read(c.arguments);
        const std::string typed = c.arguments.join(' ').toStdString();
        ASSERT_EQ(words.refusal, QString()) << typed;
        const MessageArguments::Read read
            = MessageArguments::readBytes(words.typed, words.messages, true);
        EXPECT_EQ(read.refusal, QString()) << typed;
        EXPECT_EQ(read.messages, c.messages) << typed;
    }
}

TEST(SendWords, RefusesAWordWithoutItsNumbersAndHexStaysHex)
{
    const struct
    {
        QStringList arguments;
        const char *reason; // in part
    } cases[] = {
        {{"on", "60"}, "'on' takes a note and a velocity, 0 to 127."},
        {{"on", "60", "128"}, "'128' is out of place after 'on'"},
        {{"cc", "7", "100", "5"}, "'5' is no word of send"},
        {{"ch", "0", "pc", "1"}, "'0' is out of place after 'ch': it takes a channel, 1 to 16."},
        {{"ch", "17"}, "it takes a channel, 1 to 16"},
        {{"pb", "16384"}, "it takes a value, 0 to 16383"},
        {{"syx", "F7H"}, "'F7H' is out of place after 'syx'"},
        {{"syx"}, "'syx' takes data bytes"},
        {{"pc", "-1"}, "'-1' is out of place after 'pc'"},
        {{"pc", "1", "bogus"}, "'bogus' is no word of send: ch, on, off"},
    };
    for (const auto &c : cases) {
        const SendWords::Read words = SendWords::read(c.arguments);
        EXPECT_TRUE(words.refusal.contains(c.reason))
            << c.arguments.join(' ').toStdString() << ": " << words.refusal.toStdString();
    }
    // raw bytes that make no whole message are refused as hex would be.
    const SendWords::Read raw = SendWords::read({"raw", "144", "60"});
    EXPECT_TRUE(MessageArguments::readBytes(raw.typed, raw.messages, true)
                    .refusal.contains("90 3C is short of data bytes"));
    for (const QStringList &hex : {QStringList {"CC", "05"}, {"90 3C 7F"}, {"F8"}})
        EXPECT_FALSE(SendWords::areWords(hex)) << hex.join(' ').toStdString();
}

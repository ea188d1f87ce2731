#include "sender/MessageParser.h"

#include "sender/modSendMessage.h"
#include "support/Files.h"

using namespace modSendMessage;

TEST(ParseMessage, AcceptsTheGrammarAndBuildsTheHistoryEntry)
{
    const struct
    {
        QString text;
        std::uint8_t status;
        QByteArray bytes;
        QString history;
    } cases[] = {
        {"90 3C 7F", 0x90, bytes({0x3C, 0x7F}), "90 3C 7F"}, // a channel message
        {"  c0 05  ", 0xC0, bytes({0x05}), "C0 05 "}, // blanks at the ends, lower case
        {"F8", 0xF8, {}, "F8  "}, // a status alone
        {"8", 0x08, {}, "08  "}, // one digit reads as a byte
        {"90 3C 7F 00", 0x90, bytes({0x3C, 0x7F, 0x00}), "90 3C 7F"}, // history keeps three
        {"fF aB", 0xFF, bytes({0xAB}), "FF AB "}, // mixed case
        {"f0 7e 7f 09 01 f7", 0xF0, bytes({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
            "F0 7E 7F 09 01 F7 "}, // SysEx: the byte list
        {"F0 41 F7 10 F7", 0xF0, bytes({0xF0, 0x41, 0xF7, 0x10, 0xF7}),
            "F0 41 F7 10 F7 "}, // F7 inside is plain data
    };
    for (const auto &c : cases) {
        const ParseResult parsed = parseMessage(c.text);
        ASSERT_TRUE(parsed) << c.text.toStdString() << ": " << parsed.reason.toStdString();
        EXPECT_EQ(parsed.message->status, c.status) << c.text.toStdString();
        EXPECT_EQ(parsed.message->bytes, c.bytes) << c.text.toStdString();
        EXPECT_FALSE(parsed.message->lacksEox()) << c.text.toStdString();
        EXPECT_EQ(historyText(*parsed.message), c.history) << c.text.toStdString();
    }
}

TEST(ParseMessage, RefusesWhatBreaksTheGrammar)
{
    const QString refused[] = {
        "903C", // no space at position 3
        "90  3C", // two spaces
        "90,3C", // a comma
        "90\t3C", // a tab
        "90 3", // an incomplete pair
        "90 3G", // not a hex digit
        "0x90", // a prefix
        "G0 3C", // a bad status
        "   ", // spaces only
        "", // nothing
        "90 3C\n", // a line break at the end
        "9  3C", // a one-digit status followed by spaces: refused, not guessed
        "90 3C 7F ä", // a non-ASCII character
    };
    for (const QString &text : refused) {
        const ParseResult parsed = parseMessage(text);
        EXPECT_FALSE(parsed) << text.toStdString();
        EXPECT_FALSE(parsed.reason.isEmpty()) << text.toStdString();
    }
}

TEST(ParseMessage, KnowsASysExThatLacksItsEndAndRefusesTextsLongerThanTheBoxTakes)
{
    QString longest = "F0";
    while (longest.size() + 3 <= LongestMessageText)
        longest += " 01";
    ASSERT_TRUE(parseMessage("  " + longest + "  ")) << "spaces at the ends do not count";
    EXPECT_EQ(parseMessage(longest).message->bytes.size(), 1 + (longest.size() - 2) / 3);
    EXPECT_TRUE(parseMessage(longest).message->lacksEox());
    EXPECT_TRUE(parseMessage(u"F0").message->lacksEox());
    EXPECT_FALSE(parseMessage(longest + " 01"));
}

#include "midi/BytePattern.h"

#include <gtest/gtest.h>

// A pattern matches the messages that begin with its bytes, ".." any one byte: a heartbeat
// of any length, but never a message shorter than the pattern. A text that is no pattern is
// refused with its reason.
TEST(BytePattern, MatchesTheMessagesThatBeginWithItsBytesOrSaysWhyItIsNone)
{
    const struct
    {
        const char *pattern;
        std::vector<std::uint8_t> message;
        bool matches;
        const char *reason = "";
    } cases[] = {
        {"FE", {0xFE}, true}, // Active Sensing
        {"fe", {0xF8}, false}, // a clock is not
        {"F0 43 30 7F 1C ..", {0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x05, 0x01, 0xF7}, true},
        {"F0 43 30 7F 1C ..", {0xF0, 0x43, 0x30, 0x7F, 0x1C}, false}, // no byte for ".."
        {"90 .. 00", {0x90, 0x3C, 0x00}, true}, // a Note On of velocity 0, any key
        {"90 .. 00", {0x91, 0x3C, 0x00}, false}, // on another channel
        {"3C 40", {}, false, "\"3C 40\" does not begin with a status byte (80 to FF)."},
        {".. 40", {}, false, "\".. 40\" does not begin with a status byte (80 to FF)."},
        {"F0 4", {}, false, "\"4\" is neither a byte in two hex digits nor \"..\"."},
        {"F0 ...", {}, false, "\"...\" is neither a byte in two hex digits nor \"..\"."},
    };
    for (const auto &test : cases) {
        QString reason;
        const auto read = BytePattern::parse(QString::fromLatin1(test.pattern), reason);
        EXPECT_EQ(read && read->matches(test.message), test.matches) << test.pattern;
        EXPECT_EQ(reason, test.reason) << test.pattern;
    }
}

// Several patterns are separated by commas, and read back as they are shown; an empty text
// hides none.
TEST(BytePattern, ReadsAListAsItIsShown)
{
    QString reason;
    const auto list = BytePattern::parseList(u" fe ,F0  43 30 7f 1c .. ", reason);
    ASSERT_TRUE(list) << reason.toStdString();
    EXPECT_EQ(BytePattern::listText(*list), "FE, F0 43 30 7F 1C ..");
    EXPECT_EQ(BytePattern::parseList(u"  ", reason)->size(), 0u);
    EXPECT_FALSE(BytePattern::parseList(u"FE,", reason)) << "an empty pattern after a comma";
}

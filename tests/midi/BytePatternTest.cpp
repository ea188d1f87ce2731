#include "midi/BytePattern.h"

#include <gtest/gtest.h>

namespace {

bool matches(const char *pattern, std::initializer_list<std::uint8_t> message)
{
    QString reason;
    const std::optional<BytePattern> read
        = BytePattern::parse(QString::fromLatin1(pattern), reason);
    EXPECT_TRUE(read) << pattern << ": " << reason.toStdString();
    return read && read->matches(std::span(message.begin(), message.size()));
}

} // namespace

// A pattern matches the messages that begin with its bytes, ".." any one byte: a heartbeat
// of any length, but never a message shorter than the pattern.
TEST(BytePattern, MatchesTheMessagesThatBeginWithItsBytes)
{
    const struct
    {
        const char *pattern;
        std::initializer_list<std::uint8_t> message;
        bool matches;
    } cases[] = {
        {"FE", {0xFE}, true}, // Active Sensing
        {"fe", {0xF8}, false}, // a clock is not
        {"F0 43 30 7F 1C ..", {0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x05, 0x01, 0xF7}, true},
        {"F0 43 30 7F 1C ..", {0xF0, 0x43, 0x30, 0x7F, 0x1C, 0x05}, true}, // cut short, still
        {"F0 43 30 7F 1C ..", {0xF0, 0x43, 0x30, 0x7F, 0x1C}, false}, // no byte for ".."
        {"F0 43 30 7F 1C", {0xF0, 0x43, 0x30, 0x7F, 0x1D, 0xF7}, false},
        {"90 .. 00", {0x90, 0x3C, 0x00}, true}, // a Note On of velocity 0, any key
        {"90 .. 00", {0x91, 0x3C, 0x00}, false}, // on another channel
    };
    for (const auto &test : cases)
        EXPECT_EQ(matches(test.pattern, test.message), test.matches) << test.pattern;
}

// A text that is no pattern is refused with its reason; a list reads back as it is shown.
TEST(BytePattern, RefusesWhatIsNoPatternAndReadsAList)
{
    const struct
    {
        const char *text;
        const char *reason;
    } refused[] = {
        {"", "\"\" does not begin with a status byte (80 to FF)."},
        {"3C 40", "\"3C 40\" does not begin with a status byte (80 to FF)."}, // matches nothing
        {".. 40", "\".. 40\" does not begin with a status byte (80 to FF)."}, // would match all
        {"F0 4", "\"4\" is neither a byte in two hex digits nor \"..\"."},
        {"F0 ...", "\"...\" is neither a byte in two hex digits nor \"..\"."},
        {"F043", "\"F043\" is neither a byte in two hex digits nor \"..\"."},
    };
    for (const auto &test : refused) {
        QString reason;
        EXPECT_FALSE(BytePattern::parse(QString::fromLatin1(test.text), reason)) << test.text;
        EXPECT_EQ(reason, test.reason);
    }
    QString reason;
    const auto list = BytePattern::parseList(u" fe ,F0  43 30 7f 1c .. ", reason);
    ASSERT_TRUE(list) << reason.toStdString();
    EXPECT_EQ(BytePattern::listText(*list), "FE, F0 43 30 7F 1C ..");
    EXPECT_EQ(BytePattern::parseList(u"  ", reason)->size(), 0u) << "empty: none hidden";
    EXPECT_FALSE(BytePattern::parseList(u"FE,", reason)) << "an empty pattern after a comma";
    EXPECT_TRUE(anyMatches(*list, std::array<std::uint8_t, 1> {0xFE}));
}

#include "monitor/RowMessage.h"

#include <gtest/gtest.h>

TEST(RowMessage, ReadsEveryKindOfRowBackIntoItsBytes)
{
    using Bytes = std::vector<std::uint8_t>;
    using Origin = RowMessage::Origin;
    struct Case
    {
        const char *row;
        Origin origin;
        std::optional<std::int64_t> stamp;
        Bytes bytes;
        const char *why;
    };
    const Case cases[] = {
        {"12\t90\t3C\t40\t1\tNOTE ON\t", Origin::Received, 12, {0x90, 0x3C, 0x40}, "note on"},
        {"0\tC5\t07\t\t6\tPROGRAM CHANGE\t", Origin::Received, 0, {0xC5, 0x07}, "one data byte"},
        {"-42\tF8\t\t\t\tSYSTEM REAL TIME\t", Origin::Received, -42, {0xF8}, "status alone"},
        {"5\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 41 F7 ", Origin::Received, 5, {0xF0, 0x41, 0xF7},
            "SysEx from its byte list"},
        {"SENT\tF0\t\t\t\t\tF0 01 ", Origin::Sent, std::nullopt, {0xF0, 0x01}, "a sent SysEx"},
        {"SENT\t90\t3C\t\t\t\t", Origin::Sent, std::nullopt, {0x90, 0x3C}, "sent short"},
        {"SEND ERR\t\t\t\t\t\t", Origin::SendFailed, std::nullopt, {}, "nothing was sent"},
        {"", Origin::Received, std::nullopt, {}, "the empty last row"},
    };
    for (const Case &c : cases) {
        const RowMessage message = readRowMessage(c.row);
        EXPECT_EQ(message.origin, c.origin) << c.why;
        EXPECT_EQ(message.timestampMs, c.stamp) << c.why;
        EXPECT_EQ(message.bytes, c.bytes) << c.why;
        EXPECT_EQ(message.byteCount, c.bytes.size()) << c.why;
    }
}

TEST(RowMessage, DecodesOnlyTheStartOfALongSysExButCountsItWhole)
{
    std::string row = "7\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 ";
    for (int i = 0; i < 5000; ++i)
        row += "7F ";
    row += "F7 ";
    const RowMessage message = readRowMessage(row, 4);
    EXPECT_EQ(message.bytes, (std::vector<std::uint8_t> {0xF0, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(message.byteCount, 5002u);
    EXPECT_TRUE(message.isSysEx());
}

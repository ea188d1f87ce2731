#include "decode/modFormat.h"

#include <gtest/gtest.h>

using namespace modFormat;

TEST(HexByte, PadsBelowSixteenAndGrowsPastAByte)
{
    const std::pair<std::int16_t, const char *> cases[] = {
        {0, "00"}, {10, "0a"}, {15, "0f"}, {16, "10"}, {240, "f0"}, {255, "ff"}, {256, "100"},
        {-1, "ffff"}, // a negative value shows its 16-bit pattern
    };
    for (auto [value, text] : cases)
        EXPECT_EQ(HexByte(value), text) << value;
}

TEST(FormatMessageRow, GivesTheGridRowForEveryStatusRange)
{
    const struct
    {
        std::int16_t status, data1, data2;
        std::int32_t timestamp;
        const char *row;
        const char *why;
    } cases[] = {
        {0x00, 1, 2, 0, "0\t00\t01\t02\t1\t\t", "data byte as status: no event"},
        {0x7F, 1, 2, 5, "5\t7f\t01\t02\t16\t\t", "last non-status value"},
        {0x80, 0x3C, 0x40, 1, "1\t80\t3c\t40\t1\tNote Off\t", "note off"},
        {0x9C, 0x3C, 0x00, 7, "7\t9c\t3c\t00\t13\tNote Off\t", "velocity 0 is note off"},
        {0x9C, 0x3C, 0x40, 7, "7\t9c\t3c\t40\t13\tNote On\t", "note on"},
        {0xA0, 1, 2, 0, "0\ta0\t01\t02\t1\tPolyphonic Key Pressure\t", "poly pressure"},
        {0xB0, 0x78, 1, 0, "0\tb0\t78\t01\t1\tControl Change\t", "last controller"},
        {0xB0, 0x79, 1, 0, "0\tb0\t79\t01\t1\tChannel Mode Change\t", "first mode"},
        {0xB0, 0x7F, 1, 0, "0\tb0\t7f\t01\t1\tChannel Mode Change\t", "last mode"},
        {0xB0, 0x80, 1, 0, "0\tb0\t80\t01\t1\tControl Change\t", "past the modes"},
        {0xC5, 0x07, 0x40, 0, "0\tc5\t07\t\t6\tProgram Change\t", "one data byte"},
        {0xD0, 0x07, 0x40, 0, "0\td0\t07\t\t1\tChannel Pressure\t", "one data byte"},
        {0xEF, 0x00, 0x40, 0, "0\tef\t00\t40\t16\tPitch Change\t", "pitch bend"},
        {0xF0, 1, 2, 0, "0\tf0\t\t\t\t\t", "SysEx status alone: nothing"},
        {0xF1, 0x21, 2, 0, "0\tf1\t21\t\t\tSystem Common\t", "time code quarter frame"},
        {0xF2, 0x10, 0x20, 0, "0\tf2\t10\t20\t\tSystem Common\t", "song position"},
        {0xF6, 1, 2, 0, "0\tf6\t\t\t\tSystem Common\t", "tune request: no data"},
        {0xF7, 1, 2, 0, "0\tf7\t\t\t\tSystem Common\t", "EOX"},
        {0xF8, 1, 2, 0, "0\tf8\t\t\t\tSystem Real Time\t", "clock"},
        {0xFF, 1, 2, 0, "0\tff\t\t\t\tSystem Real Time\t", "reset"},
        {0x100, 1, 2, 0, "0\t100\t\t\t\t\t", "beyond a byte: nothing"},
        {0x90, 1, 2, -42, "-42\t90\t01\t02\t1\tNote On\t", "negative time stamp"},
        {0x90, 1, 2, INT32_MAX, "2147483647\t90\t01\t02\t1\tNote On\t", "largest stamp"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatMessageRow(c.status, c.data1, c.data2, c.timestamp), c.row) << c.why;
}

TEST(FormatSysExRow, StatusIsAlwaysF0AndBytesEndTheRow)
{
    EXPECT_EQ(FormatSysExRow(QByteArrayView("\xF0\x41\xF7", 3), 12),
        "12\tf0\t\t\t\tSystem Exclusive\tf0 41 f7 ");
    EXPECT_EQ(FormatSysExRow(QByteArrayView("\x00", 1), 0), "0\tf0\t\t\t\tSystem Exclusive\t00 ");
    EXPECT_EQ(FormatSysExRow(QByteArrayView(), -3), "-3\tf0\t\t\t\tSystem Exclusive\t");
}

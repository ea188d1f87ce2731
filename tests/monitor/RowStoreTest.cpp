#include "monitor/RowStore.h"

#include <gtest/gtest.h>
#include <string>

TEST(RowStore, KeepsRowsUpperCasedAndFindsTheirCells)
{
    RowStore rows;
    rows.append("12\t9c\t3c\t00\t13\tNote Off\t");
    rows.append("");
    rows.append("5\tf0\t\t\t\tSystem Exclusive\tf0 41 f7 ");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.row(0), "12\t9C\t3C\t00\t13\tNOTE OFF\t");
    EXPECT_EQ(rows.cell(0, 5), "NOTE OFF");
    EXPECT_EQ(rows.cell(0, 6), "") << "the empty last field";
    EXPECT_EQ(rows.cell(0, 7), "") << "past the last field";
    EXPECT_EQ(rows.row(1), "");
    EXPECT_EQ(rows.cell(2, 6), "F0 41 F7 ");
    EXPECT_EQ(rows.row(3), "") << "past the last row";
}

TEST(RowStore, RowsSurviveChunkBoundariesAndHugeRows)
{
    RowStore rows;
    const std::string huge(RowStore::ChunkSize * 2 + 3, 'a');
    std::vector<std::string> expected;
    for (int i = 0; i < 120'000; ++i) {
        const std::string text
            = i == 50'000 ? huge : std::to_string(i) + "\t90\t3C\t40\t1\tNOTE ON\t";
        rows.append(text);
        expected.push_back(text == huge ? std::string(huge.size(), 'A') : text);
    }
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(rows.row(i), expected[i]) << i;
    EXPECT_GE(rows.bytesHeld(), huge.size());
    rows.clear();
    EXPECT_EQ(rows.size(), 0u);
    EXPECT_EQ(rows.bytesHeld(), 0u);
}

#include "monitor/RowSearch.h"

#include "monitor/RowStore.h"

#include <gtest/gtest.h>

TEST(RowSearch, FindsRowsAsTheGridShowsThemForwardBackwardAndRound)
{
    RowStore rows;
    for (const char *row : {"1\t90\t3c\t40\t1\tNote On\t",
             "2\tf0\t\t\t\tSystem Exclusive\tf0 7e 7f 09 01 f7 ", "3\t80\t3c\t00\t1\tNote Off\t",
             "Sent\t90\t3d\t40\t\t\t", "5\tf8\t\t\t\tSystem Real Time\t"})
        rows.append(row);
    using Direction = RowSearch::Direction;
    struct Case
    {
        const char *text;
        std::size_t from;
        Direction direction;
        std::optional<std::size_t> row;
        const char *why;
    };
    const Case cases[] = {
        {"note on", 0, Direction::Forward, 0, "letter case does not matter"},
        {"F0 7E", 0, Direction::Forward, 1, "within a byte list"},
        {"90 3c", 1, Direction::Forward, 0, "across two cells, and round past the end"},
        {"90 3d", 1, Direction::Forward, 3, "a blank matches the gap between cells"},
        {"3C", 1, Direction::Forward, 2, "the next one, from the row given"},
        {"3C", 3, Direction::Forward, 0, "round past the end"},
        {"3C", 4, Direction::Backward, 2, "backward"},
        {"3C", 1, Direction::Backward, 0, "backward, from the row given"},
        {"SENT", 2, Direction::Backward, 3, "backward round past the start"},
        {"  f8 ", 0, Direction::Forward, 4, "blanks around the text do not count"},
        {"7F 09 01 F7 3", 0, Direction::Forward, std::nullopt, "never across two rows"},
        {"xyz", 2, Direction::Forward, std::nullopt, "not found"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RowSearch(c.text).find(rows, c.from, c.direction), c.row) << c.why;
}

TEST(RowSearch, LooksAtWordsTheStoreDoesNotKeepRowByRowInOrder)
{
    RowStore rows;
    for (int i = 0; i < 300'000; ++i) // several chunks
        rows.append(
            i == 250'000 ? "9\t90\t3c\t40\t1\tNote On\t" : "1\tf8\t\t\t\tSystem Real Time\t");
    const RowSearch search("c4 velocity");
    const auto details = [&](std::size_t row) {
        return search.matches(row == 100'000 || row == 250'000 ? "C4 velocity 64" : "");
    };
    EXPECT_EQ(search.find(rows, 0, RowSearch::Direction::Forward, details), 100'000u);
    EXPECT_EQ(search.find(rows, 200'000, RowSearch::Direction::Backward, details), 100'000u);
    EXPECT_EQ(RowSearch("90 3C").find(rows, 10, RowSearch::Direction::Forward), 250'000u);
    EXPECT_EQ(RowSearch("90 3C").find(rows, 10, RowSearch::Direction::Backward), 250'000u);
}

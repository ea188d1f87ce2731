#include "grid/RowSelection.h"

#include "grid/RowScroll.h"

#include <gtest/gtest.h>

namespace {

using Ranges = std::vector<RowSelection::Range>;

RowSelection selected(const Ranges &ranges)
{
    RowSelection selection;
    for (const auto &range : ranges)
        selection.select(range.first, range.last);
    return selection;
}

} // namespace

TEST(RowSelection, RangesStaySortedApartAndMerged)
{
    struct Case
    {
        const char *why;
        Ranges start;
        void (*change)(RowSelection &);
        Ranges result;
    };
    const Case cases[] = {
        {"a range given backwards", {}, [](RowSelection &s) { s.select(9, 3); }, {{3, 9}}},
        {"touching ranges merge", {{0, 4}}, [](RowSelection &s) { s.select(5, 7); }, {{0, 7}}},
        {"a range bridges two", {{0, 2}, {8, 9}}, [](RowSelection &s) { s.select(3, 7); },
            {{0, 9}}},
        {"apart stays apart, in order", {{10, 12}}, [](RowSelection &s) { s.select(0, 8); },
            {{0, 8}, {10, 12}}},
        {"deselect splits", {{0, 9}}, [](RowSelection &s) { s.deselect(3, 4); }, {{0, 2}, {5, 9}}},
        {"toggle takes one out", {{0, 2}}, [](RowSelection &s) { s.toggle(1); }, {{0, 0}, {2, 2}}},
        {"toggle puts it back", {{0, 0}, {2, 2}}, [](RowSelection &s) { s.toggle(1); }, {{0, 2}}},
        {"up to the largest row", {}, [](RowSelection &s) { s.select(5, SIZE_MAX); },
            {{5, SIZE_MAX}}},
        {"rows put back before", {{0, 1}}, [](RowSelection &s) { s.insertBefore(10); }, {{10, 11}}},
        {"the oldest rows went", {{2, 5}, {9, 9}}, [](RowSelection &s) { s.removeFirst(4); },
            {{0, 1}, {5, 5}}},
    };
    for (const Case &c : cases) {
        RowSelection selection = selected(c.start);
        c.change(selection);
        EXPECT_EQ(selection.ranges(), c.result) << c.why;
    }
}

TEST(RowSelection, ABillionRowsAreOneRangeAndAnswerAtOnce)
{
    const RowSelection selection = selected({{7, 1'000'000'006}, {2'000'000'000, 2'000'000'000}});
    EXPECT_EQ(selection.count(), 1'000'000'001u);
    EXPECT_TRUE(selection.contains(7));
    EXPECT_TRUE(selection.contains(1'000'000'006));
    EXPECT_FALSE(selection.contains(1'000'000'007));
    EXPECT_TRUE(selection.contains(2'000'000'000));
    EXPECT_FALSE(selection.contains(6));
}

// Past what an int counts, each step of the bar stands for several rows; both ends stay
// reachable and a step read back is the step it came from.
TEST(RowScroll, TheBarReachesEveryEndAtAnySize)
{
    for (const std::size_t lastTop : {std::size_t(0), std::size_t(1000), std::size_t(INT_MAX),
             std::size_t(3'000'000'000), std::size_t(1) << 50}) {
        RowScroll scroll;
        scroll.setLastTop(lastTop);
        EXPECT_EQ(scroll.valueOf(0), 0) << lastTop;
        EXPECT_EQ(scroll.valueOf(lastTop), scroll.maximum()) << lastTop;
        EXPECT_EQ(scroll.topOf(scroll.maximum()), lastTop) << lastTop;
        EXPECT_EQ(scroll.topOf(0), 0u) << lastTop;
        for (const std::size_t top : {lastTop / 3, lastTop / 2 + 1, lastTop - lastTop / 7}) {
            const int value = scroll.valueOf(top);
            EXPECT_LE(scroll.topOf(value), top) << lastTop;
            EXPECT_EQ(scroll.valueOf(scroll.topOf(value)), value) << lastTop;
        }
        EXPECT_GE(scroll.stepsOf(40), 1) << "a page always moves";
    }
    RowScroll scroll;
    scroll.setLastTop(1000);
    EXPECT_EQ(scroll.valueOf(5000), 1000) << "a row past the end is the end";
}

#include "rows/RowCells.h"
#include "rows/SearchPass.h"

#include <gtest/gtest.h>

// A scan remembers what it learned of each distinct message in tables of fixed size: with
// far more distinct messages than entries, those that share an entry must still be told
// apart, and each found where reading its cells finds it.
TEST(RowScan, ManyMoreDistinctMessagesThanItRemembersAreEachFoundWhereTheyStand)
{
    CaptureStore rows;
    for (int status = 0x80; status < 0xC0; ++status)
        for (int key = 0; key < 0x80; ++key)
            for (int value = 0; value < 0x80; value += 9) {
                const std::uint8_t message[]
                    = {std::uint8_t(status), std::uint8_t(key), std::uint8_t(value)};
                rows.append(Origin::Received, 0, 0, message);
            }
    ASSERT_GT(rows.size(), std::size_t(1) << 16);
    for (const std::size_t row : {std::size_t(0), std::size_t(70'001), rows.size() - 1}) {
        const CapturedMessage message = rows.at(row);
        const QString cells = QString::fromStdString(RowCells::row(rows, row))
                                  .section(QLatin1Char('\t'), 1, 3)
                                  .replace(QLatin1Char('\t'), QLatin1Char(' '));
        const RowSearch search(cells);
        const auto found = SearchPass::find(search, rows, 0, RowSearch::Direction::Forward);
        ASSERT_TRUE(found) << cells.toStdString();
        EXPECT_EQ(rows.at(*found).bytes[0], message.bytes[0]) << cells.toStdString();
        EXPECT_EQ(*found, row) << "the first row of those bytes: " << cells.toStdString();
        EXPECT_EQ(SearchPass::find(search, rows, 0, RowSearch::Direction::Backward), row)
            << "no other row holds them";
    }
}

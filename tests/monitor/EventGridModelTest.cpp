#include "monitor/EventGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(EventGridModel, RowsReachTheViewAsOneBlockAboveTheEmptyRowWhenCommitted)
{
    EventGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    EXPECT_EQ(model.rowCount(), 1) << "only the empty last row";
    const std::uint8_t on[] = {0x90, 0x3C, 0x40};
    const std::uint8_t off[] = {0x80, 0x3C, 0x40};
    model.store().append(Origin::Received, 0, 1'000, on);
    model.store().append(Origin::Received, 0, 2'000, off);
    EXPECT_EQ(model.rowCount(), 1) << "not shown before the commit";
    EXPECT_EQ(model.gridRowCount(), 4) << "but counted in the grid's own numbering";
    EXPECT_TRUE(model.commit());
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.front().at(1).toInt(), 0);
    EXPECT_EQ(inserted.front().at(2).toInt(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(1, 5).data().toString(), "NOTE OFF");
    EXPECT_EQ(model.index(2, 5).data().toString(), "") << "the empty last row";

    EXPECT_FALSE(model.commit());
    EXPECT_EQ(inserted.count(), 1) << "nothing new, nothing said";
    const CaptureStore taken = model.takeRows();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.gridRowCount(), 2);
    EXPECT_EQ(taken.size(), 2u) << "the rows taken, whole";
}

TEST(EventGridModel, SecondsShowTheMicrosecondsSinceTheRowsPortStarted)
{
    EventGridModel model;
    CaptureStore &rows = model.store();
    const std::uint8_t clock[] = {0xF8};
    rows.startPort(*rows.sourceNamed("in"), 2'000'000);
    const std::pair<std::int64_t, const char *> cases[] = {
        {2'000'000, "0.000000"}, // at the start
        {14'345'678, "12.345678"}, // every digit of the microseconds
        {2'000'007, "0.000007"}, // leading zeros kept
        {1'999'500, "-0.000500"}, // stamped before its port started
    };
    for (const auto &[stamp, shown] : cases)
        rows.append(Origin::Received, 0, stamp, clock);
    rows.append(Origin::Sent, 0, 3'000'000, clock);
    model.commit();
    model.setViewSettings({ViewSettings::Time::Seconds, false, {}});
    for (std::size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(model.index(int(row), 0).data().toString(), cases[row].second);
    EXPECT_EQ(model.index(std::size(cases), 0).data().toString(), "SENT");
    EXPECT_EQ(model.gridCellText(2, 0), "12345") << "the stored cell stays milliseconds";
}

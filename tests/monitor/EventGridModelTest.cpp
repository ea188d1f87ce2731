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
    model.appendRow("1\t90\t3c\t40\t1\tNote On\t");
    model.appendRow("2\t80\t3c\t40\t1\tNote Off\t");
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
    model.clear();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.gridRowCount(), 2);
}

TEST(EventGridModel, DetailsMatchTellsRepeatedMessagesApartByEveryByte)
{
    EventGridModel model;
    for (const char *row : {"1\t90\t3C\t40\t1\t\t", "2\t90\t3D\t40\t1\t\t", "3\t90\t3C\t00\t1\t\t",
             "4\t90\t3C\t40\t1\t\t", "5\t3C\t\t\t\t\t", "6\tF0\t\t\t\t\tF0 7E 7F 06 01 F7 "})
        model.appendRow(row);
    const auto matchingRows = [&model](const char *text) {
        const RowSearch search(text);
        const RowSearch::ExtraMatch match = model.detailsMatch(search);
        std::vector<std::size_t> rows;
        for (std::size_t row = 0; row < model.rows().size(); ++row)
            if (match(row))
                rows.push_back(row);
        return rows;
    };
    EXPECT_EQ(matchingRows("c4 velocity 64"), (std::vector<std::size_t> {0, 3}));
    EXPECT_EQ(matchingRows("c#4"), (std::vector<std::size_t> {1}));
    EXPECT_EQ(matchingRows("note off"), (std::vector<std::size_t> {2}));
    EXPECT_EQ(matchingRows("identity request"), (std::vector<std::size_t> {5}));
    ViewSettings view;
    view.middleC = MessageDetails::MiddleC::C3;
    model.setViewSettings(view);
    EXPECT_EQ(matchingRows("c3 velocity 64"), (std::vector<std::size_t> {0, 3}));
}

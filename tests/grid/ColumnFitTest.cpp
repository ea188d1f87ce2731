#include "grid/ColumnFit.h"

#include "capture/CaptureDocument.h"
#include "grid/EventGridModel.h"
#include "grid/EventView.h"

#include <QHeaderView>
#include <gtest/gtest.h>

// A width is the user's only when the user set it: fitting, showing and hiding columns and
// resizing the window never make one, and a width set is kept by the column's name, which
// stays when columns come and go.
TEST(ColumnFit, OnlyWidthsTheUserSetAreKeptAndByName)
{
    CaptureDocument document;
    EventGridModel model(document);
    EventView view;
    view.setRows(model);
    ColumnFit fit(view, model);
    view.resize(900, 400);
    view.show();
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    document.store().append(Origin::Received, *document.store().sourceNamed("keys"), 0, note);
    model.commit();
    fit.fit();
    for (const bool details : {true, false}) {
        model.setViewSettings({ViewSettings::Time::SinceStart, details, {}, true});
        fit.fit();
        view.resize(700 + 100 * details, 400);
    }
    EXPECT_TRUE(fit.userWidths().isEmpty());

    model.setViewSettings({ViewSettings::Time::SinceStart, true, {}, true});
    fit.fit();
    const int source = model.sourceColumn();
    view.horizontalHeader()->resizeSection(source, 123); // as a drag of its edge does
    model.setViewSettings({ViewSettings::Time::SinceStart, false, {}, true});
    fit.fit();
    EXPECT_EQ(fit.userWidths(), (ColumnFit::Widths {{"Source", 123}}));
    EXPECT_EQ(view.columnWidth(model.sourceColumn()), 123) << "in its new place, by its name";
    fit.forgetUserWidths();
    EXPECT_TRUE(fit.userWidths().isEmpty());
    EXPECT_NE(view.columnWidth(model.sourceColumn()), 123);
}

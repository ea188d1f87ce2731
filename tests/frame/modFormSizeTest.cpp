#include "frame/modFormSize.h"

#include "support/LoopbackWindow.h"

#include <QHeaderView>
#include <gtest/gtest.h>
#include <string>

namespace {

QRect placeOf(const modFormSize::Layout &layout, std::string_view name)
{
    for (const auto &placement : layout.controls)
        if (name == placement.objectName)
            return placement.twips;
    ADD_FAILURE() << "no control " << name;
    return {};
}

} // namespace

TEST(FormSize, GrowthGoesToTheGridAndMovesWhatIsBelowAndRightAndNoneKeepsTheDesign)
{
    for (auto [dW, dH] : {std::pair<std::int64_t, std::int64_t> {0, 0}, {-900, -300}, {-5, 0}}) {
        const modFormSize::Layout layout = modFormSize::layoutFor(dW, dH);
        ASSERT_EQ(layout.controls.size(), modFormSize::designedLayout().size());
        for (std::size_t i = 0; i < layout.controls.size(); ++i)
            EXPECT_EQ(layout.controls[i].twips, modFormSize::designedLayout()[i].twips)
                << layout.controls[i].objectName;
    }

    const modFormSize::Layout layout = modFormSize::layoutFor(750, 1500);
    EXPECT_EQ(placeOf(layout, "btnSend").top(), 7260);
    EXPECT_EQ(placeOf(layout, "btnClear").left(), 12150);
    EXPECT_EQ(placeOf(layout, "grdMIDIIn").size(), QSize(13125, 4635));
    EXPECT_EQ(placeOf(layout, "txtBoxSend"), QRect(120, 5700, 8535, 1215));
    EXPECT_EQ(placeOf(layout, "ComboMidiIn"), QRect(120, 360, 4215, 315));
    EXPECT_EQ(placeOf(layout, "lblGridInstructions").topLeft(), QPoint(9270, 5340));

    const modFormSize::Layout huge = modFormSize::layoutFor(40000, 33000); // past 16 bits
    EXPECT_EQ(placeOf(huge, "grdMIDIIn").size(), QSize(52375, 36135));
    EXPECT_EQ(placeOf(huge, "btnClear").topLeft(), QPoint(51400, 38760));
}

TEST(FormSize, TwipsPerPixelFollowTheScreen)
{
    EXPECT_EQ(modFormSize::twipsPerPixel(96), 15);
    EXPECT_EQ(modFormSize::twipsPerPixel(192), 8); // 7.5 rounds up
    EXPECT_EQ(modFormSize::twipsPerPixel(144), 10);
    EXPECT_EQ(modFormSize::toPixels(QRect(120, 720, 12375, 3135), 15, 15), QRect(8, 48, 825, 209));
}

TEST(FormSize, AShortScreenTakesTheGridToItsLeastThenTheMessageBox)
{
    constexpr std::int64_t Least = 2400;
    const modFormSize::Layout gridAlone = modFormSize::shrunkLayout(0, -500, Least);
    EXPECT_EQ(placeOf(gridAlone, "grdMIDIIn").height(), 3135 - 500);
    EXPECT_EQ(placeOf(gridAlone, "txtBoxSend").height(), 1215);
    EXPECT_EQ(placeOf(gridAlone, "btnSend").top(), 5760 - 500);
    EXPECT_EQ(placeOf(gridAlone, "ComboMidiIn"), QRect(120, 360, 4215, 315));

    const modFormSize::Layout both = modFormSize::shrunkLayout(0, -1000, Least);
    EXPECT_EQ(placeOf(both, "grdMIDIIn").height(), Least);
    EXPECT_EQ(placeOf(both, "lblSend").top(), 3960 - (3135 - Least)) << "moves with the grid";
    EXPECT_EQ(placeOf(both, "txtBoxSend").height(), 1215 - (1000 - (3135 - Least)));
    EXPECT_EQ(placeOf(both, "btnSend").top(), 5760 - 1000);
}

// A screen of 640 x 400 (about 9,600 x 5,300 twips for the controls), and one far smaller:
// every control stays, inside the window, clear of the others.
TEST(FormSize, ASmallScreenKeepsEveryControlInsideAndApart)
{
    const auto designed = modFormSize::designedLayout();
    for (auto [dW, dH] : {std::pair<std::int64_t, std::int64_t> {-2925, -900}, {-6000, -3000}}) {
        const modFormSize::Layout layout = modFormSize::shrunkLayout(dW, dH, 2400);
        ASSERT_EQ(layout.controls.size(), designed.size());
        for (std::size_t i = 0; i < designed.size(); ++i) {
            const QRect place = layout.controls[i].twips;
            EXPECT_LE(place.right(), 12525 + dW) << designed[i].objectName;
            EXPECT_LE(place.bottom(), 6240 + dH) << designed[i].objectName;
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_TRUE(designed[i].twips.intersects(designed[j].twips)
                    || !place.intersects(layout.controls[j].twips))
                    << designed[i].objectName << " meets " << designed[j].objectName;
        }
    }
    const modFormSize::Layout small = modFormSize::shrunkLayout(-2925, -900, 2400);
    EXPECT_EQ(placeOf(small, "grdMIDIIn").height(), 2400) << "no scaling was needed in height";
}

// The window gives its growth to the grid; at 640 x 400 every control stays, and the message
// box gives up height before the grid falls under eight rows.
TEST(FormSize, TheWindowGrowsItsGridAndWhenSmallKeepsEveryControlAndEightRows)
{
    LoopbackWindow w;
    const QSize atLoad = w.window->size();
    EXPECT_EQ(w.window->minimumSize(), atLoad);
    const int gridHeight = w.grid()->height();
    const int sendTop = w.find<QWidget>("btnSend")->y();
    w.window->resize(atLoad + QSize(0, 100));
    EXPECT_EQ(w.grid()->height(), gridHeight + 100);
    EXPECT_EQ(w.find<QWidget>("btnSend")->y(), sendTop + 100);

    w.window->setMinimumSize(0, 0);
    w.window->resize(640, 400);
    const QRect client = w.window->centralWidget()->rect();
    for (const auto &placement : modFormSize::designedLayout()) {
        const auto *control = w.find<QWidget>(placement.objectName);
        EXPECT_TRUE(client.contains(control->geometry())) << placement.objectName;
    }
    const EventView *grid = w.grid();
    EXPECT_GE(grid->viewport()->height() / grid->rowHeight(), 8);
    EXPECT_TRUE(w.find<QWidget>("btnPause")->isVisible());
}

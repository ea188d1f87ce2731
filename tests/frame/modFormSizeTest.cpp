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

TEST(FormSize, NoGrowthOrShrinkingGivesTheDesignedLayout)
{
    for (auto [dW, dH] : {std::pair<std::int64_t, std::int64_t> {0, 0}, {-900, -300}, {-5, 0}}) {
        const modFormSize::Layout layout = modFormSize::layoutFor(dW, dH);
        ASSERT_EQ(layout.controls.size(), modFormSize::designedLayout().size());
        for (std::size_t i = 0; i < layout.controls.size(); ++i)
            EXPECT_EQ(layout.controls[i].twips, modFormSize::designedLayout()[i].twips)
                << layout.controls[i].objectName;
        EXPECT_EQ(layout.sysExColumnWidth, 4350);
    }
}

TEST(FormSize, GrowthGoesToTheGridAndMovesWhatIsBelowAndRight)
{
    const modFormSize::Layout layout = modFormSize::layoutFor(750, 1500);
    EXPECT_EQ(placeOf(layout, "btnSend").top(), 7260);
    EXPECT_EQ(placeOf(layout, "btnClear").left(), 12150);
    EXPECT_EQ(placeOf(layout, "grdMIDIIn").size(), QSize(13125, 4635));
    EXPECT_EQ(layout.sysExColumnWidth, 5100);
    EXPECT_EQ(placeOf(layout, "txtBoxSend"), QRect(120, 5700, 8535, 1215));
    EXPECT_EQ(placeOf(layout, "ComboMidiIn"), QRect(120, 360, 4215, 315));
    EXPECT_EQ(placeOf(layout, "lblGridInstructions").topLeft(), QPoint(9270, 5340));

    const modFormSize::Layout huge = modFormSize::layoutFor(40000, 33000); // past 16 bits
    EXPECT_EQ(placeOf(huge, "grdMIDIIn").size(), QSize(52375, 36135));
    EXPECT_EQ(placeOf(huge, "btnClear").topLeft(), QPoint(51400, 38760));
    EXPECT_EQ(huge.sysExColumnWidth, 44350);
}

TEST(FormSize, TwipsPerPixelFollowTheScreen)
{
    EXPECT_EQ(modFormSize::twipsPerPixel(96), 15);
    EXPECT_EQ(modFormSize::twipsPerPixel(192), 8); // 7.5 rounds up
    EXPECT_EQ(modFormSize::twipsPerPixel(144), 10);
    EXPECT_EQ(modFormSize::toPixels(QRect(120, 720, 12375, 3135), 15, 15), QRect(8, 48, 825, 209));
}

// That the window fits a small screen is the scaled layout test's; here it grows as designed.
TEST(FormSize, TheWindowGivesItsGrowthToTheGrid)
{
    LoopbackWindow w;
    const QSize atLoad = w.window->size();
    EXPECT_EQ(w.window->minimumSize(), atLoad);
    const int gridHeight = w.grid()->height();
    const int sendTop = w.find<QWidget>("btnSend")->y();
    w.window->resize(atLoad + QSize(0, 100));
    EXPECT_EQ(w.grid()->height(), gridHeight + 100);
    EXPECT_EQ(w.find<QWidget>("btnSend")->y(), sendTop + 100);
}

TEST(FormSize, AScreenTooSmallShrinksTheGridFirstThenEverything)
{
    const modFormSize::Layout lessHeight = modFormSize::shrunkLayout(0, -1500);
    EXPECT_EQ(placeOf(lessHeight, "grdMIDIIn").height(), 3135 - 1500) << "the grid alone gives";
    EXPECT_EQ(placeOf(lessHeight, "btnSend").top(), 5760 - 1500);
    EXPECT_EQ(placeOf(lessHeight, "ComboMidiIn"), QRect(120, 360, 4215, 315));

    const modFormSize::Layout tiny = modFormSize::shrunkLayout(-6000, -3000);
    for (const auto &placement : tiny.controls) {
        EXPECT_LE(placement.twips.right(), 12525 - 6000) << placement.objectName;
        EXPECT_LE(placement.twips.bottom(), 6240 - 3000) << placement.objectName;
    }
    const std::vector<std::string> leftOut(tiny.leftOut.begin(), tiny.leftOut.end());
    EXPECT_EQ(leftOut, std::vector<std::string> {"btnPause"}) << "no room beside Clear All";
}
